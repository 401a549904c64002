# Cross-compiles the Windows x64 engine with MinGW-w64 from Linux:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DGRAVIK_TESTS=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GRAVIK_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model: std::thread and std::mutex work there (winpthreads, linked in
# statically); the win32 model of the same package has neither.
set(CMAKE_C_COMPILER ${GRAVIK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GRAVIK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${GRAVIK_MINGW_PREFIX}-windres)

# Headers and libraries come from the MinGW tree only; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${GRAVIK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
