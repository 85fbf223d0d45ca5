#include "ui/base/ImageLabel.h"
#include "support/HttpServer.h"
#include "support/Wait.h"
#include "ui/base/Icons.h"

#include <QBuffer>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {
QByteArray pngOf(QColor colour, int size) {
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes;
}
} // namespace

TEST(ImageLabel, PlaceholderAtOnceThenTheLoadedPicture) {
    HttpServer http;
    http.serveFile(QStringLiteral("/Album/cover.png"), pngOf(Qt::blue, 40), "image/png");
    ImageLabel label;
    label.resize(60, 60);
    const QImage placeholder = Icons::image(QStringLiteral("no_cover"), QSize(60, 60), 1.0);
    label.setImageWithURL(http.url(QStringLiteral("/Album/cover.png")), placeholder);
    EXPECT_EQ(label.image().cacheKey(), placeholder.cacheKey());
    ASSERT_TRUE(waitUntil([&] { return label.image().size() == QSize(40, 40); }));
    EXPECT_EQ(label.image().pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(label.imageURL(), http.url(QStringLiteral("/Album/cover.png")));
    label.grab(); // paints without trouble at another size than the picture's
}

TEST(ImageLabel, MissingPictureKeepsThePlaceholder) {
    HttpServer http;
    ImageLabel label;
    QSignalSpy changes(&label, &ImageLabel::imageChanged);
    label.setImageWithURL(http.url(QStringLiteral("/none/cover.jpg")), QStringLiteral("no_cover"));
    ASSERT_TRUE(waitUntil([&] { return !label.isLoading(); }));
    EXPECT_FALSE(label.image().isNull());
    EXPECT_EQ(changes.count(), 1);
    // A picture set directly stops nothing it should not, and shows at once.
    const QImage red = QImage(8, 8, QImage::Format_RGB32);
    label.setImage(red);
    EXPECT_EQ(label.image().cacheKey(), red.cacheKey());
}
