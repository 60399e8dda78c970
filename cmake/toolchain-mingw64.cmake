# Cross-builds the GUI-free core, voltaris-report and the core's tests as
# 64-bit Windows programs with Debian's MinGW-w64 compiler (the posix
# threads variant, for std::thread and std::mutex). `make test-windows`
# uses it and runs the tests under Wine:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VOLTARIS_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_CXX_COMPILER NAMES ${VOLTARIS_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${VOLTARIS_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VOLTARIS_MINGW_TRIPLE}-windres)

# Only the Windows headers and libraries of the cross compiler; programs
# (the code generators, Wine) come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VOLTARIS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained programs: the C++ runtime and the threads library linked in,
# so that an .exe runs without the compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Programs built here run under Wine when CTest or a custom command runs them.
find_program(VOLTARIS_WINE NAMES wine)
if(VOLTARIS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VOLTARIS_WINE})
endif()

# The Qt front end is not built for Windows here (there is no Qt for Windows
# on this machine): the core, the command-line tool and their tests are.
set(VOLTARIS_CORE_ONLY ON CACHE BOOL "Build only the GUI-free core, voltaris-report and their tests" FORCE)
