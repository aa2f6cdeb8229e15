# Each library exports its own headers, and a target sees only the headers of the libraries it
# links (and of those they link publicly): no folder of sources is on any include path. For every
# library the build makes a folder build/include/<library>/<layer>/ holding one link per header the
# library lists, and gives that folder to the library and to whatever links it. An include line
# reads the same everywhere (`#include "convert/MarksFile.h"`), and it does not compile in a
# target that does not link the library the header belongs to.
#
#   vellumor_export_headers(<library> <layer> [HEADERS <header>...] [AS <header> <name>]...)
#
# The headers are the library's sources ending in ".h", or those given after HEADERS (for an
# interface library), each under its path relative to the current source folder. AS exports one
# header under another name in the layer: how a seam whose shared headers need a type of the
# system the program is built for gets that system's header.
function(vellumor_export_headers library layer)
  cmake_parse_arguments(PARSE_ARGV 2 export "" "" "HEADERS;AS")
  set(folder ${PROJECT_BINARY_DIR}/include/${library})
  # Made afresh, so that a header that moved or went is no longer found under its old name.
  file(REMOVE_RECURSE ${folder})
  if(export_HEADERS)
    set(headers ${export_HEADERS})
  else()
    get_target_property(headers ${library} SOURCES)
    list(FILTER headers INCLUDE REGEX "\\.h$")
  endif()
  set(links)
  foreach(header IN LISTS headers)
    list(APPEND links ${header} ${header})
  endforeach()
  list(APPEND links ${export_AS})
  while(links)
    list(POP_FRONT links header name)
    cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE OUTPUT_VARIABLE source)
    set(link ${folder}/${layer}/${name})
    cmake_path(GET link PARENT_PATH link_folder)
    file(MAKE_DIRECTORY ${link_folder})
    file(CREATE_LINK ${source} ${link} SYMBOLIC)
  endwhile()
  get_target_property(type ${library} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${library} INTERFACE $<BUILD_INTERFACE:${folder}>)
  else()
    target_include_directories(${library} PUBLIC $<BUILD_INTERFACE:${folder}>)
  endif()
endfunction()
