#include "startup.h"

#include "errorreport.h"
#include "form1.h"

#include <QCoreApplication>

bool startUp(Form1 &form, const QStringList &files)
{
    const QString cannotStart = QCoreApplication::translate("Startup", "Quillmere cannot start.");
    if (!runReportingErrors(nullptr, cannotStart, [&] { form.load(); }))
        return false;
    form.show();
    // Once shown, the list has its size, so that it can scroll to the last
    // entry; the first paint comes after, with the entries in it.
    if (!files.isEmpty())
        form.openFiles(files);
    return true;
}
