# Cross-compiles for 64-bit Windows with Debian's mingw-w64, threads model posix (package
# g++-mingw-w64-x86-64-posix), e.g. for the Qt-free core:
#   cmake -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DKT_BUILD_UI=OFF -DKT_BUILD_TESTS=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(kt_mingw_target x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${kt_mingw_target}-gcc-posix)
set(CMAKE_CXX_COMPILER ${kt_mingw_target}-g++-posix)
set(CMAKE_RC_COMPILER ${kt_mingw_target}-windres)

# Headers and libraries from the target's tree only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${kt_mingw_target})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
