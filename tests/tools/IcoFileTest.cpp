// The program's icon file: every size of the emblem in one .ico that Qt's own reader takes back image by
// image, and the emblem itself drawn inside a transparent square.

#include "tools/IcoFile.h"
#include "widgets/ZantoLogo.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QList<QImage> readBack(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QList<QImage> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            break;
        images.append(reader.read());
    }
    return images;
}

TEST(IcoFile, HoldsEverySizeInOrderAndReadsBackAsDrawn)
{
    const QList<int> sizes = widgets::zantoIconSizes();
    QList<QImage> drawn;
    for (const int side : sizes)
        drawn.append(widgets::zantoEmblem(side));
    const QByteArray bytes = tools::icoFile(drawn);

    // The directory: reserved 0, type 1 (icon), one entry per size; 256 is written as 0.
    ASSERT_GE(bytes.size(), 6 + 16 * sizes.size());
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(static_cast<quint8>(bytes[4]), sizes.size());
    for (int i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(static_cast<quint8>(bytes[6 + 16 * i]), sizes[i] % 256) << "entry " << i;

    const QList<QImage> images = readBack(bytes);
    ASSERT_EQ(images.size(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        const int side = sizes[i];
        SCOPED_TRACE(side);
        EXPECT_EQ(images[i].size(), QSize(side, side));
        // The corner is the transparent ground, the middle the panel or its "Z", as drawn.
        EXPECT_EQ(qAlpha(images[i].pixel(0, 0)), 0);
        EXPECT_EQ(images[i].pixel(side / 2, side / 2),
                  drawn[i].convertToFormat(QImage::Format_ARGB32).pixel(side / 2, side / 2));
        EXPECT_EQ(qAlpha(images[i].pixel(side / 2, side / 2)), 255);
    }
}

TEST(IcoFile, RefusesWhatAnIconCannotHold)
{
    EXPECT_THROW(tools::icoFile({}), std::runtime_error);
    EXPECT_THROW(tools::icoFile({QImage()}), std::runtime_error);
    EXPECT_THROW(tools::icoFile({widgets::zantoEmblem(16), widgets::zantoEmblem(512)}), std::runtime_error);
}

TEST(ZantoIcon, OffersEveryIconSize)
{
    const QIcon icon = widgets::zantoIcon();
    for (const int side : widgets::zantoIconSizes())
        EXPECT_TRUE(icon.availableSizes().contains(QSize(side, side))) << side;
}

} // namespace
