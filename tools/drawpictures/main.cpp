// drawpictures: draws Quillmere's button pictures, window icons and hand pointer.
// Usage: drawpictures [--preview PREVIEW_DIR] OUTPUT_DIR   (e.g. OUTPUT_DIR = src/app/pictures)
// Run it by hand after changing a drawing, look at the preview, and commit what it wrote.

#include "iconfile.h"
#include "pictures.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>
#include <optional>

namespace {

constexpr int JpegQuality = 95;
constexpr int IconSize = 32;
constexpr int DesktopIconSizes[] = {32, 64, 128, 256};
constexpr int ProgramIconSizes[] = {16, 32, 48, 256};

struct Failure {
    QString message;
};

void writeFile(const QString &fileName, const QByteArray &data)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        throw Failure{QStringLiteral("Cannot write file %1: %2.")
                              .arg(QDir::toNativeSeparators(fileName), file.errorString())};
    }
}

QByteArray encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        throw Failure{QStringLiteral("Cannot encode %1: %2.")
                              .arg(QLatin1StringView(format), writer.errorString())};
    return data;
}

// Baseline JFIF with three components: the writer emits three components for
// any image that is not grey, and stays baseline unless asked otherwise.
QByteArray jpeg(const QImage &image)
{
    return encoded(image.convertToFormat(QImage::Format_RGB888), "jpeg", JpegQuality);
}

void drawAll(const QDir &out)
{
    writeFile(out.filePath(QStringLiteral("add.jpg")), jpeg(Pictures::addPicture()));
    writeFile(out.filePath(QStringLiteral("join.jpg")), jpeg(Pictures::joinPicture()));
    // Qt takes these on screens of twice the density, and shrinks them for
    // densities in between. Pictures of one and a half times the size would
    // blur the one-pixel outlines, and the Join picture has no such size.
    writeFile(out.filePath(QStringLiteral("add@2x.jpg")), jpeg(Pictures::addPicture(2)));
    writeFile(out.filePath(QStringLiteral("join@2x.jpg")), jpeg(Pictures::joinPicture(2)));
    writeFile(out.filePath(QStringLiteral("quillmere.ico")),
              IconFile::encode(Pictures::tapeDispenser(IconSize), IconFile::Kind::Icon, 24));
    // The program files' own icon, which Explorer, the Start menu and the taskbar show at many
    // sizes: at 32 pixels the window icon's very image, at the other sizes the same drawing
    // with its alpha, and at 256 a PNG, the form Windows takes there.
    QList<IconFile::Image> programIcon;
    for (int size : ProgramIconSizes) {
        programIcon.append({Pictures::tapeDispenser(size),
                            size == IconSize ? 24 : size == 256 ? 0 : 32});
    }
    writeFile(out.filePath(QStringLiteral("quillmere-program.ico")),
              IconFile::encode(programIcon, IconFile::Kind::Icon));
    for (int size : DesktopIconSizes) {
        writeFile(out.filePath(QStringLiteral("quillmere-%1.png").arg(size)),
                  encoded(Pictures::tapeDispenser(size), "png"));
    }
    // A black-and-white cursor is the one form every Windows loader accepts.
    writeFile(out.filePath(QStringLiteral("HAND-M.CUR")),
              IconFile::encode(Pictures::handPointer(), IconFile::Kind::Cursor, 1,
                               Pictures::handHotSpot()));
}

QImage readBack(const QString &fileName, const char *format = nullptr)
{
    QImageReader reader(fileName, format);
    QImage image = reader.read();
    if (image.isNull())
        throw Failure{QStringLiteral("Cannot read back %1: %2.")
                              .arg(QDir::toNativeSeparators(fileName), reader.errorString())};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QByteArray fileContents(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{QStringLiteral("Cannot read back %1: %2.")
                              .arg(QDir::toNativeSeparators(fileName), file.errorString())};
    return file.readAll();
}

int littleEndian(const QByteArray &data, qsizetype at, int bytes)
{
    if (at < 0 || at + bytes > data.size())
        throw Failure{QStringLiteral("Icon or cursor file too short.")};
    int value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | int(quint8(data[at + i]));
    return value;
}

// The hot spot as the cursor file states it, not as the drawing meant it.
QPoint storedHotSpot(const QByteArray &cursorFile)
{
    return QPoint(littleEndian(cursorFile, 10, 2), littleEndian(cursorFile, 12, 2));
}

// The first image of an icon file as the window system shows it: some Qt
// versions ignore the transparency mask of 24-bit icons, so it is applied here
// from the file's own bits.
QImage withStoredMask(QImage decoded, const QByteArray &iconFile)
{
    const int offset = littleEndian(iconFile, 18, 4);
    const int width = littleEndian(iconFile, offset + 4, 4);
    const int height = littleEndian(iconFile, offset + 8, 4) / 2;
    const int bitsPerPixel = littleEndian(iconFile, offset + 14, 2);
    const int paletteEntries = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
    const int colourBytes = (width * bitsPerPixel + 31) / 32 * 4;
    const int maskBytes = (width + 31) / 32 * 4;
    const int maskOffset = offset + 40 + 4 * paletteEntries + colourBytes * height;
    decoded = decoded.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int row = maskOffset + (height - 1 - y) * maskBytes;
            if (littleEndian(iconFile, row + x / 8, 1) & (0x80 >> (x % 8)))
                decoded.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    return decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Lays the pictures out in rows, each on a white, a dark and a mid-grey
// background, at the given magnification without smoothing.
QImage contactSheet(const QList<QImage> &pictures, int zoom, std::optional<QPoint> hotSpotOfLast)
{
    const QColor backgrounds[] = {Qt::white, QColor(0x20, 0x21, 0x24), QColor(0x80, 0x80, 0x80)};
    constexpr int margin = 8;
    int width = margin;
    int rowHeight = 0;
    for (const QImage &picture : pictures) {
        width += picture.width() * zoom + margin;
        rowHeight = std::max(rowHeight, picture.height() * zoom);
    }
    const int bandHeight = rowHeight + 2 * margin;
    QImage sheet(width, bandHeight * int(std::size(backgrounds)), QImage::Format_RGB32);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    int band = 0;
    for (const QColor &background : backgrounds) {
        const int top = band++ * bandHeight;
        painter.fillRect(QRect(0, top, width, bandHeight), background);
        int x = margin;
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            const QImage &picture = pictures[i];
            const QRect target(x, top + margin, picture.width() * zoom, picture.height() * zoom);
            painter.drawImage(target, picture);
            if (zoom > 1 && hotSpotOfLast && i == pictures.size() - 1) {
                painter.setPen(QPen(Qt::red, 1));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRect(target.topLeft() + *hotSpotOfLast * zoom,
                                       QSize(zoom - 1, zoom - 1)));
            }
            x += target.width() + margin;
        }
    }
    return sheet;
}

void writePreview(const QDir &out, const QDir &preview)
{
    const QImage add = readBack(out.filePath(QStringLiteral("add.jpg")));
    const QImage join = readBack(out.filePath(QStringLiteral("join.jpg")));
    const QString iconFile = out.filePath(QStringLiteral("quillmere.ico"));
    const QImage icon = withStoredMask(readBack(iconFile), fileContents(iconFile));
    const QString cursorFile = out.filePath(QStringLiteral("HAND-M.CUR"));
    const QImage cursor = readBack(cursorFile, "cur");
    const QPoint hotSpot = storedHotSpot(fileContents(cursorFile));

    QList<QImage> desktopIcons;
    for (int size : DesktopIconSizes)
        desktopIcons.append(readBack(out.filePath(QStringLiteral("quillmere-%1.png").arg(size))));

    auto write = [&](const char *name, const QImage &sheet) {
        writeFile(preview.filePath(QLatin1StringView(name)), encoded(sheet, "png"));
    };
    write("preview-real.png",
          contactSheet(QList<QImage>{add, join, icon, cursor} + desktopIcons, 1, std::nullopt));
    write("preview-buttons-6x.png", contactSheet({add, join}, 6, std::nullopt));
    write("preview-buttons-2x-3x.png",
          contactSheet({readBack(out.filePath(QStringLiteral("add@2x.jpg"))),
                        readBack(out.filePath(QStringLiteral("join@2x.jpg")))},
                       3, std::nullopt));
    write("preview-icon-6x.png",
          contactSheet({icon, desktopIcons.at(0), desktopIcons.at(1)}, 6, std::nullopt));
    write("preview-cursor-12x.png", contactSheet({cursor}, 12, hotSpot));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Draws Quillmere's pictures, icons and hand pointer into a folder."));
    parser.addHelpOption();
    const QCommandLineOption previewOption(
            QStringLiteral("preview"),
            QStringLiteral("Also write contact sheets of what was written, read back, to <dir>."),
            QStringLiteral("dir"));
    parser.addOption(previewOption);
    parser.addPositionalArgument(QStringLiteral("output"),
                                 QStringLiteral("Folder to write the pictures to."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    const QDir out(parser.positionalArguments().constFirst());
    try {
        if (!out.exists() && !QDir().mkpath(out.path()))
            throw Failure{QStringLiteral("Cannot create folder %1.").arg(out.path())};
        drawAll(out);
        if (parser.isSet(previewOption)) {
            const QDir preview(parser.value(previewOption));
            if (!preview.exists() && !QDir().mkpath(preview.path()))
                throw Failure{QStringLiteral("Cannot create folder %1.").arg(preview.path())};
            writePreview(out, preview);
        }
    } catch (const Failure &failure) {
        std::fprintf(stderr, "drawpictures: %s\n", qPrintable(failure.message));
        return 1;
    }
    return 0;
}
