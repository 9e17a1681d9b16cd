#pragma once

#include "windowsystem.h"

/// A window system that hands every call on to another one, the native one
/// unless told otherwise. A test double derives from it and overrides only
/// the call it changes.
class ForwardingWindowSystem : public WindowSystem
{
public:
    explicit ForwardingWindowSystem(WindowSystem &target = WindowSystem::native()) : m_target(target) {}

#define QUILLMERE_FORWARD_FUNCTION(Result, Name, Parameters, Arguments) \
    Result Name Parameters override { return m_target.Name Arguments; }
    QUILLMERE_WINDOW_SYSTEM_FUNCTIONS(QUILLMERE_FORWARD_FUNCTION)
#undef QUILLMERE_FORWARD_FUNCTION

private:
    WindowSystem &m_target;
};
