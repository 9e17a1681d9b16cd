#pragma once

#include <atomic>

/**
 * What ends a join's waits early: the caller's cancel request, which may be set from any thread
 * or from a signal handler, or the join giving up on its own, so that its writing thread does
 * not wait on a pipe for ever.
 */
struct JoinStop
{
    const std::atomic<bool> *cancel = nullptr;
    std::atomic<bool> abandoned{false};

    bool cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
    bool requested() const { return cancelled() || abandoned.load(std::memory_order_relaxed); }
};

/**
 * The longest that one wait for a pipe, a device or a disk lasts before the stop is looked at
 * again: a cancel ends every wait within this time.
 */
inline constexpr int StopCheckMs = 100;
