#pragma once

// <windows.h> for the Windows-only files: after winapi.h, whose constant names
// it defines as macros.
#include "winapi.h"

#include <windows.h>
