#pragma once

#include <functional>

class QString;
class QWidget;

/// Runs the work of a window's handler and tells the user whatever it throws:
/// a message box with @p what, a blank line and the reason, whether the work
/// raised a RuntimeError, ran out of memory or failed otherwise. Nothing
/// escapes into the event loop. False when the work failed.
bool runReportingErrors(QWidget *owner, const QString &what, const std::function<void()> &work);
