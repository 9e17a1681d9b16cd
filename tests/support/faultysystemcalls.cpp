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

#ifdef Q_OS_WIN
template <typename Data>
BOOL forward(bool shorten, BOOL (SystemCalls::*call)(HANDLE, Data, DWORD, LPDWORD, LPOVERLAPPED), HANDLE handle,
             Data data, DWORD size, LPDWORD done, LPOVERLAPPED overlapped)
{
    return (SystemCalls::native().*call)(handle, data, shorten ? std::max<DWORD>(1, size / 2) : size, done, overlapped);
}
#else
template <typename Data>
ssize_t forward(bool shorten, ssize_t (SystemCalls::*call)(int, Data, size_t), int handle, Data data, size_t size)
{
    return (SystemCalls::native().*call)(handle, data, shorten ? std::max<size_t>(1, size / 2) : size);
}
#endif

// A close that fails has closed the handle all the same, as the system's does.
template <typename... Arguments>
void closeAnyway(FaultySystemCalls::Call, Arguments...)
{
}

#ifdef Q_OS_WIN
void closeAnyway(FaultySystemCalls::Call call, HANDLE handle)
{
    if (call == FaultySystemCalls::Call::CloseHandle)
        SystemCalls::native().CloseHandle(handle);
}
#else
void closeAnyway(FaultySystemCalls::Call call, int handle)
{
    if (call == FaultySystemCalls::Call::close)
        SystemCalls::native().close(handle);
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

void FaultySystemCalls::fail(Call call, int nth, int error)
{
    const std::lock_guard lock(m_mutex);
    m_plans.append({call, nth, Kind::Fail, error, {}});
}

void FaultySystemCalls::shorten(Call call, int nth)
{
    const std::lock_guard lock(m_mutex);
    m_plans.append({call, nth, Kind::Shorten, 0, {}});
}

void FaultySystemCalls::before(Call call, int nth, std::function<void()> action)
{
    const std::lock_guard lock(m_mutex);
    m_plans.append({call, nth, Kind::Before, 0, std::move(action)});
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

// The action runs outside the lock: it may make calls of its own, or wait for another thread's.
FaultySystemCalls::Turn FaultySystemCalls::take(Call call)
{
    Turn turn;
    std::function<void()> action;
    {
        const std::lock_guard lock(m_mutex);
        m_calls.append(call);
        const int nth = int(std::count(m_calls.cbegin(), m_calls.cend(), call));
        for (const Plan &plan : std::as_const(m_plans)) {
            if (plan.call != call || plan.nth != nth)
                continue;
            if (plan.kind == Kind::Fail) {
                turn.fail = true;
                turn.error = plan.error;
            } else if (plan.kind == Kind::Shorten) {
                turn.shorten = true;
            } else {
                action = plan.action;
            }
        }
    }
    if (action)
        action();
    return turn;
}

void FaultySystemCalls::setError(int error)
{
#ifdef Q_OS_WIN
    ::SetLastError(static_cast<DWORD>(error));
#else
    errno = error;
#endif
}

#define QUILLMERE_DEFINE_CALL(result, name, failure, parameters, arguments) \
    result FaultySystemCalls::name parameters                               \
    {                                                                       \
        const Turn turn = take(Call::name);                                 \
        if (turn.fail) {                                                    \
            closeAnyway(Call::name, QUILLMERE_UNPACK arguments);            \
            setError(turn.error);                                           \
            return failure;                                                 \
        }                                                                   \
        return forward(turn.shorten, &SystemCalls::name, QUILLMERE_UNPACK arguments); \
    }
#define QUILLMERE_UNPACK(...) __VA_ARGS__
QUILLMERE_SYSTEM_CALLS(QUILLMERE_DEFINE_CALL)
#undef QUILLMERE_DEFINE_CALL
#undef QUILLMERE_UNPACK
