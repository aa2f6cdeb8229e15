# 64-bit Windows (x64), cross-built with MinGW-w64: cmake -DCMAKE_TOOLCHAIN_FILE=<this file>
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELLUMOR_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
# Test programs run under Wine's 64-bit loader (scripts/test-windows.sh sets its prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
