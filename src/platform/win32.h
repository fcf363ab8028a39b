// The library's only door to the operating system. Library code is written
// against the Win32 names; on Windows they are the real thing, everywhere else
// our own implementation of exactly the subset the library uses.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include "portable/Win32Api.h"
#endif
