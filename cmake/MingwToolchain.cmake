# What the two mingw-w64 cross builds share; cmake/i686-w64-mingw32.cmake and
# cmake/x86_64-w64-mingw32.cmake set TRENDEL_MINGW_TRIPLET and include this.
set(CMAKE_SYSTEM_NAME Windows)

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

# Programs carry their C++ runtime, so that only system DLLs and Trendel.dll
# need to be found beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
