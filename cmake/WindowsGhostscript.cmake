# Ghostscript on Windows: the program calls the engine in Ghostscript's own DLL (gsdll64.dll for
# x64, gsdll32.dll for x86) through an import library made with dlltool from a .def of the
# functions it uses. The import library is a delay-load one: the DLL is bound at the first engine
# call, after platform::PrepareEngineLibrary found it by its absolute path, so that the program
# starts without it and can say what is missing.
#
# Target vellumor_ghostscript: the API headers, the calling convention and the import library.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELLUMOR_ENGINE_DLL gsdll64)
  set(engine_dlltool_options "")
else()
  set(VELLUMOR_ENGINE_DLL gsdll32)
  set(engine_dlltool_options --kill-at)
endif()
set(VELLUMOR_ENGINE_DEF ${PROJECT_SOURCE_DIR}/src/platform/win32/ghostscript/${VELLUMOR_ENGINE_DLL}.def)

# The API headers come from Debian's libgs-dev; only they are taken, never the build machine's
# other headers.
find_path(GHOSTSCRIPT_HEADER_DIR ghostscript/iapi.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(engine_include_dir ${CMAKE_BINARY_DIR}/ghostscript-api)
foreach(header iapi.h ierrors.h gserrors.h)
  configure_file(${GHOSTSCRIPT_HEADER_DIR}/ghostscript/${header} ${engine_include_dir}/ghostscript/${header} COPYONLY)
endforeach()

# dlltool names the library's symbols after the output path; made in the build folder under a
# plain name, no build path ends up in the programs.
set(engine_import_name lib${VELLUMOR_ENGINE_DLL}.delay.a)
set(engine_import_library ${CMAKE_BINARY_DIR}/${engine_import_name})
add_custom_command(OUTPUT ${engine_import_library}
                   COMMAND ${CMAKE_DLLTOOL} ${engine_dlltool_options} --input-def ${VELLUMOR_ENGINE_DEF}
                           --dllname ${VELLUMOR_ENGINE_DLL}.dll --output-delaylib ${engine_import_name}
                   WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                   DEPENDS ${VELLUMOR_ENGINE_DEF}
                   COMMENT "Making the delay-load import library of ${VELLUMOR_ENGINE_DLL}.dll")
add_custom_target(vellumor_ghostscript_import DEPENDS ${engine_import_library})

# The API as the DLL defines it. Ghostscript's Windows DLL uses __stdcall for its functions and
# for the callbacks it calls; its header would declare them __cdecl for a MinGW caller, which
# breaks the stack on x86 (x64 has one convention, where the keyword is ignored).
add_library(vellumor_ghostscript_headers INTERFACE)
target_include_directories(vellumor_ghostscript_headers SYSTEM INTERFACE ${engine_include_dir})
target_compile_definitions(vellumor_ghostscript_headers INTERFACE GSDLLAPI=__stdcall GSDLLCALL=__stdcall)

add_library(vellumor_ghostscript INTERFACE)
add_dependencies(vellumor_ghostscript vellumor_ghostscript_import)
target_link_libraries(vellumor_ghostscript INTERFACE vellumor_ghostscript_headers ${engine_import_library}
                                                    vellumor_platform)
