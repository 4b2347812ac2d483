#include "tests/app/screen/xwd_screen.h"

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>

namespace hz::test {
namespace {

// The fields of an XWD file's header that the reading needs, by their place among its 32-bit big-endian words.
enum HeaderWord {
    HeaderSize = 0,
    PixmapFormat = 2,
    Width = 4,
    Height = 5,
    ByteOrder = 7,
    BitsPerPixel = 11,
    BytesPerLine = 12,
    RedMask = 14,
    GreenMask = 15,
    BlueMask = 16,
    ColourCount = 19,
    HeaderWords = 25,
};
constexpr int ZPixmap = 2;
constexpr int ColourEntryBytes = 12;
constexpr quint32 MaxSide = 16384;

quint32 Word(const QByteArray& file, int index) {
    const auto* bytes = reinterpret_cast<const uchar*>(file.constData()) + 4 * index;
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | bytes[3];
}

XwdReading Failed(const QString& why) {
    return {QImage(), why};
}

// A 24-bit true-colour ZPixmap, 3 or 4 bytes a pixel, as xwd writes it for a depth-24 screen.
XwdReading Decode(const QByteArray& file) {
    if (file.size() < HeaderWords * 4) {
        return Failed(QStringLiteral("xwd wrote no header"));
    }
    const quint32 headerSize = Word(file, HeaderSize);
    const quint32 width = Word(file, Width);
    const quint32 height = Word(file, Height);
    const quint32 bytesPerPixel = Word(file, BitsPerPixel) / 8;
    const quint32 bytesPerLine = Word(file, BytesPerLine);
    const quint32 colours = Word(file, ColourCount);
    if (Word(file, PixmapFormat) != ZPixmap || Word(file, RedMask) != 0xff0000 || Word(file, GreenMask) != 0xff00 ||
        Word(file, BlueMask) != 0xff || (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return Failed(QStringLiteral("xwd wrote a format other than 24-bit true colour"));
    }
    if (headerSize < HeaderWords * 4 || width == 0 || height == 0 || width > MaxSide || height > MaxSide ||
        bytesPerLine < width * bytesPerPixel || colours > 65536) {
        return Failed(QStringLiteral("xwd wrote an implausible header"));
    }
    const qint64 pixelsAt = qint64(headerSize) + qint64(colours) * ColourEntryBytes;
    if (file.size() < pixelsAt + qint64(bytesPerLine) * height) {
        return Failed(QStringLiteral("xwd wrote fewer pixels than its header declares"));
    }
    const bool leastSignificantFirst = Word(file, ByteOrder) == 0;
    QImage screen(int(width), int(height), QImage::Format_RGB32);
    for (quint32 y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const uchar*>(file.constData()) + pixelsAt + qint64(y) * bytesPerLine;
        auto* out = reinterpret_cast<QRgb*>(screen.scanLine(int(y)));
        for (quint32 x = 0; x < width; ++x) {
            const uchar* pixel = line + x * bytesPerPixel;
            // The blue byte comes first in least significant byte order, the padding byte (if any) first otherwise.
            const uchar* blue = leastSignificantFirst ? pixel : pixel + bytesPerPixel - 1;
            const int step = leastSignificantFirst ? 1 : -1;
            out[x] = qRgb(blue[2 * step], blue[step], blue[0]);
        }
    }
    return {screen, QString()};
}

} // namespace

XwdReading ReadScreenWithXwd() {
    const QString xwd = QStandardPaths::findExecutable(QStringLiteral("xwd"));
    if (xwd.isEmpty()) {
        return Failed(QStringLiteral("xwd is not installed (Debian package x11-apps)"));
    }
    QProcess process;
    process.start(xwd, {QStringLiteral("-root"), QStringLiteral("-silent")});
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return Failed(QStringLiteral("xwd failed: ") + QString::fromLocal8Bit(process.readAllStandardError()));
    }
    return Decode(process.readAllStandardOutput());
}

} // namespace hz::test
