# Shared part of the MinGW-w64 toolchain files: Debian's cross compilers with the POSIX thread
# model (std::thread and std::mutex need it with GCC 12), LLD as the linker, and a static C++
# runtime, so that the programs and libraries need no MinGW DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10.0)

set(CMAKE_C_COMPILER ${VELLUMOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLUMOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLUMOR_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${VELLUMOR_MINGW_TRIPLE}-dlltool)
set(CMAKE_OBJDUMP ${VELLUMOR_MINGW_TRIPLE}-objdump)

# Libraries and headers come from the MinGW tree only, never from the build machine's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${VELLUMOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked by LLD (link-with-lld.sh says why), with the static runtime.
set(vellumor_link_flags "-static -static-libgcc -static-libstdc++ -wrapper ${CMAKE_CURRENT_LIST_DIR}/link-with-lld.sh")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${vellumor_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${vellumor_link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${vellumor_link_flags}")
