#include "commandline.h"
#include "form1.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("quillmere"));

    // Qt has taken its own options out; what is left names files to join.
    const CommandLine commandLine = CommandLine::parse(QCoreApplication::arguments());
    if (commandLine.action != CommandLine::Run)
        return commandLine.tell();

    Form1 form;
    if (!startUp(form, commandLine.files))
        return 1;
    return app.exec();
}
