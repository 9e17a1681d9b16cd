#include "app.h"

#include <QCoreApplication>
#include <QDir>

namespace {

class ExecutableFolder final : public ProgramFolder
{
public:
    QString path() override { return QCoreApplication::applicationDirPath(); }
};

} // namespace

ProgramFolder &ProgramFolder::native()
{
    static ExecutableFolder folder;
    return folder;
}

namespace App {

QString Path()
{
    return QDir::toNativeSeparators(ProgramFolder::current().path());
}

QString Title()
{
    return QStringLiteral("Quillmere");
}

void End()
{
    QCoreApplication::exit(0);
}

} // namespace App
