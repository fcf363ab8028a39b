# Cross build of the 64-bit Windows DLL with the mingw-w64 x86-64 compilers:
#   cmake -S . -B build/windows/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake
# tools/build-windows.sh does this, with libjpeg, in one command. x86-64
# computes doubles in SSE2 registers already.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TRENDEL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
