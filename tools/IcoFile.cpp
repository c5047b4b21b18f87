#include "IcoFile.h"

#include <QBuffer>
#include <QImageWriter>

#include <stdexcept>

namespace tools {

namespace {

// The .ico layout: a 6-byte header (reserved 0, type 1, image count), a 16-byte directory entry per
// image whose last two little-endian 32-bit words are the image data's size and offset, then the data.
constexpr int kHeaderSize = 6;
constexpr int kEntrySize = 16;

quint32 readLe32(const QByteArray& bytes, int at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    return value;
}

quint16 readLe16(const QByteArray& bytes, int at)
{
    return static_cast<quint16>(static_cast<quint8>(bytes[at]) | (static_cast<quint8>(bytes[at + 1]) << 8));
}

void writeLe(QByteArray& bytes, int at, quint32 value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

struct Part
{
    QByteArray entry;
    QByteArray data;
};

Part encodeOne(const QImage& image)
{
    if (image.isNull() || image.width() > 256 || image.height() > 256)
        throw std::runtime_error("an icon image must be between 1 and 256 pixels a side");
    QByteArray single;
    QBuffer buffer(&single);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        throw std::runtime_error("Qt's ico plugin could not write the image: " +
                                 writer.errorString().toStdString());
    if (single.size() < kHeaderSize + kEntrySize || readLe16(single, 0) != 0 || readLe16(single, 2) != 1 ||
        readLe16(single, 4) != 1)
        throw std::runtime_error("Qt's ico plugin wrote no single-image icon");
    const quint32 size = readLe32(single, kHeaderSize + 8);
    const quint32 offset = readLe32(single, kHeaderSize + 12);
    if (offset > static_cast<quint32>(single.size()) || size > static_cast<quint32>(single.size()) - offset)
        throw std::runtime_error("Qt's ico plugin wrote an icon whose image lies outside it");
    return {single.mid(kHeaderSize, kEntrySize),
            single.mid(static_cast<int>(offset), static_cast<int>(size))};
}

} // namespace

QByteArray icoFile(const QList<QImage>& images)
{
    if (images.isEmpty() || images.size() > 0xffff)
        throw std::runtime_error("an icon file holds between 1 and 65535 images");
    QList<Part> parts;
    for (const QImage& image : images)
        parts.append(encodeOne(image));

    QByteArray out(kHeaderSize, '\0');
    writeLe(out, 2, 1, 2);
    writeLe(out, 4, static_cast<quint32>(parts.size()), 2);
    quint32 offset = kHeaderSize + kEntrySize * static_cast<quint32>(parts.size());
    for (Part& part : parts) {
        writeLe(part.entry, 12, offset, 4);
        out.append(part.entry);
        offset += static_cast<quint32>(part.data.size());
    }
    for (const Part& part : parts)
        out.append(part.data);
    return out;
}

} // namespace tools
