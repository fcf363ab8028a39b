# Cross build of the 32-bit Windows DLL with the mingw-w64 i686 compilers:
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
# tools/build-windows.sh does this, with libjpeg, in one command.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(TRENDEL_MINGW_TRIPLET i686-w64-mingw32)
# The POSIX thread model: GoogleTest needs std::mutex, which the win32 model
# of GCC 12 lacks. Its thread library is linked statically like the rest.
set(CMAKE_C_COMPILER ${TRENDEL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRENDEL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TRENDEL_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${TRENDEL_MINGW_TRIPLET}-objdump)
set(CMAKE_DLLTOOL ${TRENDEL_MINGW_TRIPLET}-dlltool)

# Libraries and headers come from the cross sysroot (and from prefixes the
# build adds, such as the cross-built libjpeg); programs from the build host.
set(CMAKE_FIND_ROOT_PATH /usr/${TRENDEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Doubles are computed as doubles, in SSE2 registers. The x87 registers GCC
# would use otherwise carry more precision, and the layout arithmetic would
# then differ from the portable build's and from the worked numbers: 3 x 0.3
# falls short of 0.9 in doubles but not in x87 precision, which decides
# whether a scale gets another step. Every x86 processor of the last twenty
# years has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Programs carry their C++ runtime, so that only system DLLs and Trendel.dll
# need to be found beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
