#include "errorreport.h"

#include "messagebox.h"
#include "runtimeerror.h"

#include <QCoreApplication>
#include <QString>

#include <exception>
#include <new>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ErrorReport", text);
}

// Told after the work has unwound, so that the memory it held is free again
// for the message box.
QString reasonOf(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const RuntimeError &error) {
        return error.description();
    } catch (const std::bad_alloc &) {
        return tr("There is not enough memory.");
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return tr("An unexpected error occurred.");
    }
}

} // namespace

bool runReportingErrors(QWidget *owner, const QString &what, const std::function<void()> &work)
{
    std::exception_ptr failure;
    try {
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure)
        return true;
    MsgBox(owner, what + QStringLiteral("\n\n") + reasonOf(failure));
    return false;
}
