#pragma once

// <windows.h> for the Windows-only files: after winapi.h, whose constant names
// it defines as macros, and without its min and max macros.
#include "winapi.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
