// <windows.h> as the program takes it, in one place: without its rarely
// used parts, without the min and max macros that break the standard
// library, and without the ReplaceFile macro that would rename
// TStream::ReplaceFile. Every file with code of its own for Windows includes
// this instead of <windows.h>; elsewhere it is empty. It sits in the lowest
// library so that the byte streams, the project files and the storage
// around them can all use it.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef ReplaceFile
#endif
