# The Windows build, cross-compiled with MinGW-w64 (cmake/toolchains): the platform seams on the
# Windows API, the registry and settings layers, the parts of the conversion pipeline that make
# no operating-system call, the import library of Ghostscript's DLL, the updater library and the
# Windows test programs. Included by the top CMakeLists.txt instead of the Linux build.

if(NOT MINGW)
  message(FATAL_ERROR "The Windows build is made with MinGW-w64: use cmake/toolchains/<arch>-w64-mingw32.cmake")
endif()

find_package(Threads REQUIRED)
# Resource scripts: the program's manifest.
enable_language(RC)

# Windows 7 and later: the safe library search (LOAD_LIBRARY_SEARCH_*) and the known folders.
target_compile_definitions(vellumor_common_cfg INTERFACE _WIN32_WINNT=0x0601 WINVER=0x0601)
# MinGW declares the reentrant localtime_r the clock uses only when asked for the POSIX
# thread-safe functions.
target_compile_definitions(vellumor_common_cfg INTERFACE _POSIX_THREAD_SAFE_FUNCTIONS=200112L)

# qpdf reads every PDF back before it replaces the user's file. Debian has no MinGW-w64 build of
# it: scripts/build-windows-libraries.sh builds it (static, with libjpeg-turbo) into this prefix.
set(VELLUMOR_WINDOWS_LIBRARIES "${CMAKE_BINARY_DIR}/libraries" CACHE PATH
    "Prefix of the libraries scripts/build-windows-libraries.sh built for this architecture")
foreach(library qpdf jpeg)
  if(NOT EXISTS ${VELLUMOR_WINDOWS_LIBRARIES}/lib/lib${library}.a)
    message(FATAL_ERROR "${VELLUMOR_WINDOWS_LIBRARIES}/lib/lib${library}.a is missing: "
                        "run scripts/build-windows-libraries.sh <arch> ${VELLUMOR_WINDOWS_LIBRARIES}")
  endif()
endforeach()
find_library(VELLUMOR_MINGW_ZLIB NAMES libz.a REQUIRED)
add_library(vellumor_qpdf INTERFACE)
target_include_directories(vellumor_qpdf SYSTEM INTERFACE ${VELLUMOR_WINDOWS_LIBRARIES}/include)
# qpdf's native crypto draws its random numbers from the system's provider (advapi32).
target_link_libraries(vellumor_qpdf INTERFACE ${VELLUMOR_WINDOWS_LIBRARIES}/lib/libqpdf.a
                                              ${VELLUMOR_WINDOWS_LIBRARIES}/lib/libjpeg.a ${VELLUMOR_MINGW_ZLIB} advapi32)
target_compile_definitions(vellumor_qpdf INTERFACE POINTERHOLDER_TRANSITION=4)

# The images of the windows, drawn on the build machine by the drawing programs of the Qt build
# (cmake/images, which scripts/build-windows.sh builds first) as the icons and bitmaps of the
# resource ids the windows name.
set(VELLUMOR_WINDOWS_IMAGES "" CACHE PATH "The Windows images drawn on the build machine (cmake/images)")
if(NOT EXISTS ${VELLUMOR_WINDOWS_IMAGES}/program/images.rc OR NOT EXISTS ${VELLUMOR_WINDOWS_IMAGES}/updater/images.rc)
  message(FATAL_ERROR "VELLUMOR_WINDOWS_IMAGES (\"${VELLUMOR_WINDOWS_IMAGES}\") holds no drawn images: "
                      "build cmake/images on the build machine first (scripts/build-windows.sh does)")
endif()
enable_language(RC)
# The program's resources (its images and its manifest), for the program and for the tests that
# show its windows.
set(VELLUMOR_PROGRAM_RESOURCES ${CMAKE_BINARY_DIR}/ProgramResources.rc)
configure_file(src/app/win32/vellumor.rc.in ${VELLUMOR_PROGRAM_RESOURCES} @ONLY)

include(cmake/WindowsGhostscript.cmake)
add_subdirectory(src)

if(VELLUMOR_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
