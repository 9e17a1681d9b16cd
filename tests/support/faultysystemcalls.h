#pragma once

#include "systemcalls.h"

#include <QList>

#include <functional>
#include <mutex>

/**
 * The join's system calls as the system makes them, except where a test says otherwise: the
 * n-th call of a kind fails with a chosen reason, moves fewer bytes than asked, or first runs the
 * test's own code, which holds the call for as long as it runs. Calls are counted from every
 * thread. Put in place with SystemCalls::Override.
 */
class FaultySystemCalls : public SystemCalls
{
public:
    enum class Call {
#define QUILLMERE_CALL_NAME(result, name, failure, parameters, arguments) name,
        QUILLMERE_SYSTEM_CALLS(QUILLMERE_CALL_NAME)
#undef QUILLMERE_CALL_NAME
    };

    static const char *nameOf(Call call);

    /** The @p nth call of @p call (counting from 1) fails with the system's reason @p error. */
    void fail(Call call, int nth, int error) { plan({call, nth, error, false, {}}); }
    /** The @p nth read or write of @p call moves half the bytes asked for, at least one. */
    void shorten(Call call, int nth) { plan({call, nth, 0, true, {}}); }
    /** Runs @p action before the @p nth call of @p call is made. */
    void before(Call call, int nth, std::function<void()> action) { plan({call, nth, 0, false, std::move(action)}); }
    /** Forgets what it was told and what it counted. */
    void reset();

    /** Every call so far, in order. */
    QList<Call> calls() const;

#define QUILLMERE_OVERRIDE_CALL(result, name, failure, parameters, arguments) result name parameters override;
    QUILLMERE_SYSTEM_CALLS(QUILLMERE_OVERRIDE_CALL)
#undef QUILLMERE_OVERRIDE_CALL

private:
    // What is done to one call; an error of 0 fails nothing.
    struct Plan
    {
        Call call;
        int nth;
        int error;
        bool shorten;
        std::function<void()> action;
    };

    void plan(Plan plan);
    Plan take(Call call);

    mutable std::mutex m_mutex;
    QList<Plan> m_plans;
    QList<Call> m_calls;
};
