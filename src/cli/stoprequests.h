#pragma once

#include <QString>

#include <atomic>

/**
 * The requests to stop that come from outside the program: SIGINT, SIGTERM and SIGHUP on Linux;
 * Ctrl+C, Ctrl+Break and closing the console on Windows. Once caught, they no longer end the
 * program at once: they cancel the join, or the reading of a list, which then ends within a
 * fraction of a second and leaves the output as it was; the program then ends as a stopped one.
 */
namespace StopRequests {

/** Catches them from now on. Called first, before any list is read. */
void catchStops();

/** Set once a stop has come: the join's cancel. */
const std::atomic<bool> &flag();

/**
 * Where the standard input is a console (Windows), has it read on a thread of its own and handed
 * on through a pipe: a console read that Ctrl+C ends looks like the end of the input, and only
 * the handler that comes after tells otherwise. Elsewhere, nothing.
 */
void relayConsoleInput();

/** What stopped the program other than a request, such as a console read that failed; or empty. */
QString failure();

/** The exit status of a stopped program, which on Linux it ends by the signal that came. */
int endStopped();

#ifdef Q_OS_WIN
/** Waits at most @p milliseconds for a stop; whether one has come. */
bool waitForStop(unsigned long milliseconds);

/** Stops the program for the reason @p message, which failure() then gives. */
void stopFailed(const QString &message);
#endif

} // namespace StopRequests
