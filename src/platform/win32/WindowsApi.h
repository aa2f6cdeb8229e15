#pragma once
// The one way the Windows side includes the Win32 headers: wide-character functions, no min/max
// macros, and none of the macros that would rename this program's own functions (windows.h
// turns GetEnvironmentVariable into GetEnvironmentVariableW, for example).

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

#undef GetEnvironmentVariable
#undef SetEnvironmentVariable
