#include "form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("quillmere"));

    // Qt has taken its own options out; what is left names files to join.
    const QStringList paths = QCoreApplication::arguments().mid(1);

    Form1 form;
    form.load();
    if (!paths.isEmpty())
        form.openFiles(paths);
    form.show();
    return app.exec();
}
