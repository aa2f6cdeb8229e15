# 32-bit Windows (x86), cross-built with MinGW-w64: cmake -DCMAKE_TOOLCHAIN_FILE=<this file>
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELLUMOR_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
# Test programs run under Wine's 32-bit loader (wine32:i386; scripts/test-windows.sh sets its prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
