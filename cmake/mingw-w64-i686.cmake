# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 toolchain. The 32-bit program runs on
# 32-bit Windows and, under WOW64, on 64-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(toolchain_prefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
