#include "winapi.h"
#include "windowsystem.h"

namespace winapi {

#define QUILLMERE_FORWARD_FUNCTION(Result, Name, Parameters, Arguments) \
    Result Name Parameters                                              \
    {                                                                   \
        return WindowSystem::current().Name Arguments;                  \
    }
QUILLMERE_WINDOW_SYSTEM_FUNCTIONS(QUILLMERE_FORWARD_FUNCTION)
#undef QUILLMERE_FORWARD_FUNCTION

} // namespace winapi
