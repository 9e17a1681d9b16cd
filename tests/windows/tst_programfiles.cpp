// What Windows itself reads from the two program files: the version record that Explorer shows,
// the icon it shows them by, and the manifest that gives the programs the UTF-8 code page.
#include <QDir>
#include <QTest>

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

// A resource as the program file stores it.
QByteArray resource(const char *program, LPCWSTR name, LPCWSTR type)
{
    const std::wstring file = nativePath(program);
    const HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    QByteArray bytes;
    if (const HRSRC found = module ? FindResourceW(module, name, type) : nullptr) {
        if (const HGLOBAL loaded = LoadResource(module, found))
            bytes = QByteArray(static_cast<const char *>(LockResource(loaded)), qsizetype(SizeofResource(module, found)));
    }
    if (module)
        FreeLibrary(module);
    return bytes;
}

// The images of the program's icon as "WIDTH:BITS" (256 for a side of 0), each one that Windows
// makes an icon of. The icon is a group (resource type 14) of images (type 3).
QStringList iconImages(const char *program)
{
    const QByteArray directory = resource(program, L"IDI_ICON1", MAKEINTRESOURCEW(14));
    QStringList images;
    // A group's directory: three words, then 14 bytes an image, ending in the image's resource id.
    const int count = directory.size() >= 6 ? quint8(directory[4]) | quint8(directory[5]) << 8 : 0;
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= directory.size(); ++i) {
        const char *entry = directory.constData() + 6 + 14 * i;
        const int width = quint8(entry[0]) ? quint8(entry[0]) : 256;
        const int bits = quint8(entry[6]) | quint8(entry[7]) << 8;
        QByteArray image = resource(program, MAKEINTRESOURCEW(quint8(entry[12]) | quint8(entry[13]) << 8),
                                    MAKEINTRESOURCEW(3));
        const HICON icon = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(image.data()), DWORD(image.size()),
                                                    TRUE, 0x00030000, width, width, LR_DEFAULTCOLOR);
        images.append(icon ? QStringLiteral("%1:%2").arg(width).arg(bits) : QStringLiteral("%1: unusable").arg(width));
        if (icon)
            DestroyIcon(icon);
    }
    return images;
}

} // namespace

class tst_ProgramFiles : public QObject
{
    Q_OBJECT

private slots:
    void versionRecord_data();
    void versionRecord();
    void icon_data();
    void icon();
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
    QCOMPARE(versionValue(program, L"CompanyName"), QStringLiteral("The Quillmere developers"));
    QCOMPARE(versionValue(program, L"LegalCopyright"),
             QStringLiteral("Copyright (c) 2026 The Quillmere developers. MIT licence."));
}

void tst_ProgramFiles::icon_data()
{
    versionRecord_data();
}

// Sharp in every view and on a scaled taskbar: each size Windows asks for most is there, the
// 32-pixel one as the window icon holds it.
void tst_ProgramFiles::icon()
{
    QFETCH(QByteArray, program);
    QCOMPARE(iconImages(program), (QStringList{"16:32", "32:24", "48:32", "256:32"}));
}

void tst_ProgramFiles::manifest_data()
{
    versionRecord_data();
}

void tst_ProgramFiles::manifest()
{
    QFETCH(QByteArray, program);

    const QByteArray text = resource(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    QVERIFY2(!text.isEmpty(), "no manifest");
    QVERIFY(text.contains(">UTF-8</activeCodePage>"));
    QVERIFY(text.contains("<requestedExecutionLevel level=\"asInvoker\""));
}

QTEST_APPLESS_MAIN(tst_ProgramFiles)
#include "tst_programfiles.moc"
