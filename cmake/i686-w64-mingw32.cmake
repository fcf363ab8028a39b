# Cross build of the 32-bit Windows DLL with the mingw-w64 i686 compilers:
#   cmake -S . -B build/windows/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
# tools/build-windows.sh does this, with libjpeg, in one command.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TRENDEL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)

# Doubles are computed as doubles, in SSE2 registers. The x87 registers GCC
# would use otherwise carry more precision, and the layout arithmetic would
# then differ from the portable build's and from the worked numbers: 3 x 0.3
# falls short of 0.9 in doubles but not in x87 precision, which decides
# whether a scale gets another step. Every x86 processor of the last twenty
# years has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
