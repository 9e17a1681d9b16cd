#include "faultysystemcalls.h"

#include <algorithm>
#include <cerrno>

namespace {

// The real call, from the system's own instance, whose functions are not these overrides.
template <typename Result, typename... Parameters, typename... Arguments>
Result forward(bool, Result (SystemCalls::*call)(Parameters...), Arguments... arguments)
{
    return (SystemCalls::native().*call)(arguments...);
}

// A close that fails has closed the handle all the same, as the system's does.
template <typename Function, typename... Arguments>
void closeAnyway(Function, Arguments...)
{
}

#ifdef Q_OS_WIN
template <typename Data>
BOOL forward(bool shorten, BOOL (SystemCalls::*call)(HANDLE, Data, DWORD, LPDWORD, LPOVERLAPPED), HANDLE handle,
             Data data, DWORD size, LPDWORD done, LPOVERLAPPED overlapped)
{
    return (SystemCalls::native().*call)(handle, data, shorten ? std::max<DWORD>(1, size / 2) : size, done, overlapped);
}

void closeAnyway(BOOL (SystemCalls::*call)(HANDLE), HANDLE handle)
{
    if (call == &SystemCalls::CloseHandle)
        SystemCalls::native().CloseHandle(handle);
}

void setError(int error)
{
    ::SetLastError(static_cast<DWORD>(error));
}
#else
template <typename Data>
ssize_t forward(bool shorten, ssize_t (SystemCalls::*call)(int, Data, size_t), int handle, Data data, size_t size)
{
    return (SystemCalls::native().*call)(handle, data, shorten ? std::max<size_t>(1, size / 2) : size);
}

void closeAnyway(int (SystemCalls::*call)(int), int handle)
{
    if (call == &SystemCalls::close)
        SystemCalls::native().close(handle);
}

void setError(int error)
{
    errno = error;
}
#endif

} // namespace

const char *FaultySystemCalls::nameOf(Call call)
{
    static const char *const names[] = {
#define QUILLMERE_CALL_TEXT(result, name, failure, parameters, arguments) #name,
        QUILLMERE_SYSTEM_CALLS(QUILLMERE_CALL_TEXT)
#undef QUILLMERE_CALL_TEXT
    };
    return names[static_cast<int>(call)];
}

void FaultySystemCalls::plan(Plan plan)
{
    const std::lock_guard lock(m_mutex);
    m_plans.append(std::move(plan));
}

void FaultySystemCalls::reset()
{
    const std::lock_guard lock(m_mutex);
    m_plans.clear();
    m_calls.clear();
}

QList<FaultySystemCalls::Call> FaultySystemCalls::calls() const
{
    const std::lock_guard lock(m_mutex);
    return m_calls;
}

// Every plan for this call counts. The action runs outside the lock: it may make calls of its
// own, or wait for another thread's.
FaultySystemCalls::Plan FaultySystemCalls::take(Call call)
{
    Plan turn{call, 0, 0, false, {}};
    {
        const std::lock_guard lock(m_mutex);
        m_calls.append(call);
        turn.nth = int(m_calls.count(call));
        for (const Plan &plan : std::as_const(m_plans)) {
            if (plan.call == call && plan.nth == turn.nth) {
                turn.error = plan.error ? plan.error : turn.error;
                turn.shorten = turn.shorten || plan.shorten;
                turn.action = plan.action ? plan.action : turn.action;
            }
        }
    }
    if (turn.action)
        turn.action();
    return turn;
}

#define QUILLMERE_DEFINE_CALL(result, name, failure, parameters, arguments)               \
    result FaultySystemCalls::name parameters                                             \
    {                                                                                     \
        const Plan turn = take(Call::name);                                               \
        if (turn.error == 0)                                                              \
            return forward(turn.shorten, &SystemCalls::name, QUILLMERE_UNPACK arguments); \
        closeAnyway(&SystemCalls::name, QUILLMERE_UNPACK arguments);                      \
        setError(turn.error);                                                             \
        return failure;                                                                   \
    }
#define QUILLMERE_UNPACK(...) __VA_ARGS__
QUILLMERE_SYSTEM_CALLS(QUILLMERE_DEFINE_CALL)
#undef QUILLMERE_DEFINE_CALL
#undef QUILLMERE_UNPACK
