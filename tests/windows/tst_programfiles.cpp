// What Windows itself reads from the two program files: the version record that Explorer shows,
// and the manifest that gives the programs the UTF-8 code page.
#include <QDir>
#include <QTest>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>

namespace {

std::wstring nativePath(const char *path)
{
    return QDir::toNativeSeparators(QString::fromUtf8(path)).toStdWString();
}

QString versionValue(const char *program, const wchar_t *name)
{
    const std::wstring file = nativePath(program);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return QStringLiteral("(no version record)");
    auto record = std::make_unique<char[]>(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, record.get()))
        return QStringLiteral("(unreadable version record)");
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.get(), key.c_str(), reinterpret_cast<void **>(&value), &length))
        return QStringLiteral("(none)");
    return QString::fromWCharArray(value, length > 0 ? int(length) - 1 : 0);
}

QByteArray manifest(const char *program)
{
    const std::wstring file = nativePath(program);
    const HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return {};
    QByteArray text;
    if (const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        if (const HGLOBAL loaded = LoadResource(module, resource))
            text = QByteArray(static_cast<const char *>(LockResource(loaded)), qsizetype(SizeofResource(module, resource)));
    }
    FreeLibrary(module);
    return text;
}

} // namespace

class tst_ProgramFiles : public QObject
{
    Q_OBJECT

private slots:
    void versionRecord_data();
    void versionRecord();
    void manifest_data();
    void manifest();
};

void tst_ProgramFiles::versionRecord_data()
{
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<QString>("fileName");

    QTest::addRow("window") << QByteArray(QUILLMERE_PROGRAM) << QStringLiteral("quillmere.exe");
    QTest::addRow("command line") << QByteArray(QUILLMERE_JOIN_PROGRAM) << QStringLiteral("quillmere-join.exe");
}

void tst_ProgramFiles::versionRecord()
{
    QFETCH(QByteArray, program);
    QFETCH(QString, fileName);

    QCOMPARE(versionValue(program, L"ProductName"), QStringLiteral("Quillmere"));
    QCOMPARE(versionValue(program, L"FileVersion"), QStringLiteral("1.00"));
    QCOMPARE(versionValue(program, L"ProductVersion"), QStringLiteral("1.00"));
    QCOMPARE(versionValue(program, L"OriginalFilename"), fileName);
}

void tst_ProgramFiles::manifest_data()
{
    versionRecord_data();
}

void tst_ProgramFiles::manifest()
{
    QFETCH(QByteArray, program);

    const QByteArray text = ::manifest(program);
    QVERIFY2(!text.isEmpty(), "no manifest");
    QVERIFY(text.contains(">UTF-8</activeCodePage>"));
    QVERIFY(text.contains("<requestedExecutionLevel level=\"asInvoker\""));
}

QTEST_APPLESS_MAIN(tst_ProgramFiles)
#include "tst_programfiles.moc"
