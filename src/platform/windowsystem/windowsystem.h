#pragma once

#include "seam.h"
#include "winapi.h"

/// The window-system functions behind the winapi:: calls, a virtual function
/// for each in the list (windowsystemfunctions.h) that a backend implements.
/// On Windows the real functions, each bound by name at its first call
/// (win32/); elsewhere an emulation over Qt (qt/); in tests a recording fake,
/// or a forwarding one that changes one call.
///
/// A function the running system lacks throws RuntimeError when it is called,
/// never earlier.
class WindowSystem : public Seam<WindowSystem>
{
public:
    virtual ~WindowSystem() = default;

#define QUILLMERE_DECLARE_VIRTUAL(Result, Name, Parameters, Arguments) virtual Result Name Parameters = 0;
    QUILLMERE_WINDOW_SYSTEM_FUNCTIONS(QUILLMERE_DECLARE_VIRTUAL)
#undef QUILLMERE_DECLARE_VIRTUAL

    /// The real functions on Windows, the Qt emulation elsewhere.
    static WindowSystem &native();
};
