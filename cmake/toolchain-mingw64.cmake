# Cross-builds Voltaris as 64-bit Windows programs with Debian's MinGW-w64
# compiler (the posix threads variant, for std::thread and std::mutex).
# `make build-windows` uses it:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
#         -DVOLTARIS_QT_WINDOWS=<Qt for Windows>
# With VOLTARIS_QT_WINDOWS naming a Qt 6 built for Windows (see
# scripts/build-qt-windows.sh) the whole designer is built, its Qt tests too;
# without it only the GUI-free core, voltaris-report and the core's tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VOLTARIS_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_CXX_COMPILER NAMES ${VOLTARIS_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${VOLTARIS_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VOLTARIS_MINGW_TRIPLE}-windres)

# The Qt prefix, from the cache or the environment (the toolchain is read
# again for every check CMake compiles, where only the environment is seen).
if(NOT VOLTARIS_QT_WINDOWS AND DEFINED ENV{VOLTARIS_QT_WINDOWS})
  set(VOLTARIS_QT_WINDOWS $ENV{VOLTARIS_QT_WINDOWS})
endif()
if(VOLTARIS_QT_WINDOWS)
  set(ENV{VOLTARIS_QT_WINDOWS} ${VOLTARIS_QT_WINDOWS})
endif()

# Only the Windows headers and libraries of the cross compiler and of Qt;
# programs (the code generators, Wine) come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VOLTARIS_MINGW_TRIPLE} ${VOLTARIS_QT_WINDOWS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under Wine when CTest or a custom command runs them.
find_program(VOLTARIS_WINE NAMES wine)
if(VOLTARIS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VOLTARIS_WINE})
endif()

if(VOLTARIS_QT_WINDOWS)
  # Qt's own code generators (moc, rcc, uic) are the build machine's, of the
  # same version.
  list(APPEND CMAKE_PREFIX_PATH ${VOLTARIS_QT_WINDOWS})
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
  # Qt's DLLs use the compiler's runtime DLLs, so the programs do too: one
  # C++ runtime in the process. They are installed beside the programs.
  set(VOLTARIS_CORE_ONLY OFF CACHE BOOL "Build only the GUI-free core, voltaris-report and their tests" FORCE)
  set(VOLTARIS_BUILD_GUI ON CACHE BOOL "Build the Qt designer window and its dialogs" FORCE)
else()
  # Self-contained programs: the C++ runtime and the threads library linked
  # in, so that an .exe runs without the compiler's DLLs beside it.
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
  set(VOLTARIS_CORE_ONLY ON CACHE BOOL "Build only the GUI-free core, voltaris-report and their tests" FORCE)
endif()
