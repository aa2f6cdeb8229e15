# Ghostscript on Windows: the program calls the engine in Ghostscript's own DLL (gsdll64.dll for
# x64, gsdll32.dll for x86), linked through an import library made from a .def of the functions
# it uses. The DLL is a delay-loaded import: it is bound at the first engine call, after
# platform::PrepareEngineLibrary found it by its absolute path, so that the program starts without
# it and can say what is missing. LLD writes it into the program's delay-load import directory,
# where the system's tools list it; that needs an import library in LLVM's short format.
#
# Target vellumor_ghostscript: the API headers, the calling convention, the import library and
# the delay-load option.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELLUMOR_ENGINE_DLL gsdll64)
  set(engine_dlltool_options -m i386:x86-64)
else()
  set(VELLUMOR_ENGINE_DLL gsdll32)
  set(engine_dlltool_options -m i386 -k)
endif()
set(VELLUMOR_ENGINE_DEF ${PROJECT_SOURCE_DIR}/src/platform/win32/ghostscript/${VELLUMOR_ENGINE_DLL}.def)
find_program(VELLUMOR_LLVM_DLLTOOL NAMES llvm-dlltool-14 llvm-dlltool REQUIRED)

# The API headers come from Debian's libgs-dev; only they are taken, never the build machine's
# other headers.
find_path(GHOSTSCRIPT_HEADER_DIR ghostscript/iapi.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(engine_include_dir ${CMAKE_BINARY_DIR}/ghostscript-api)
foreach(header iapi.h ierrors.h gserrors.h)
  configure_file(${GHOSTSCRIPT_HEADER_DIR}/ghostscript/${header} ${engine_include_dir}/ghostscript/${header} COPYONLY)
endforeach()

set(engine_import_library ${CMAKE_BINARY_DIR}/lib${VELLUMOR_ENGINE_DLL}.a)
add_custom_command(OUTPUT ${engine_import_library}
                   COMMAND ${VELLUMOR_LLVM_DLLTOOL} ${engine_dlltool_options} -d ${VELLUMOR_ENGINE_DEF}
                           -D ${VELLUMOR_ENGINE_DLL}.dll -l ${engine_import_library}
                   DEPENDS ${VELLUMOR_ENGINE_DEF}
                   COMMENT "Making the import library of ${VELLUMOR_ENGINE_DLL}.dll")
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
target_link_options(vellumor_ghostscript INTERFACE -Wl,--delayload=${VELLUMOR_ENGINE_DLL}.dll)
