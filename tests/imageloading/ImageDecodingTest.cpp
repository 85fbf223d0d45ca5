#include "ImageTestData.h"

#include "imageloading/ImageCodersManager.h"
#include "imageloading/ImageIOCoder.h"

#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

TEST(ImageDecoding, SniffsByFirstByteOnly) {
    EXPECT_EQ(imageFormatForImageData(QByteArray("\xFF\xD8\xFF", 3)), ImageFormat::JPEG);
    EXPECT_EQ(imageFormatForImageData(QByteArray("\x89PNG", 4)), ImageFormat::PNG);
    EXPECT_EQ(imageFormatForImageData("GIF89a"), ImageFormat::Undefined);
    EXPECT_EQ(imageFormatForImageData(QByteArray()), ImageFormat::Undefined);
    EXPECT_EQ(imageFormatForImageData(QByteArray("\xFF", 1)), ImageFormat::JPEG);
}

TEST(ImageDecoding, DecodedImagesCarryTheSniffedFormat) {
    auto &coders = ImageCodersManager::sharedInstance();
    const QImage jpeg = coders.decodedImageWithData(jpegBytes(20, 10));
    ASSERT_FALSE(jpeg.isNull());
    EXPECT_EQ(jpeg.size(), QSize(20, 10));
    EXPECT_EQ(imageFormatOf(jpeg), ImageFormat::JPEG);

    const QImage png = coders.decodedImageWithData(pngBytes());
    EXPECT_EQ(imageFormatOf(png), ImageFormat::PNG);

    // A GIF is neither JPEG nor PNG, yet still decodes through the plugins.
    const QImage gif = coders.decodedImageWithData(encoded(patternImage(8, 8), "gif"));
    if (QImageWriter::supportedImageFormats().contains("gif")) {
        ASSERT_FALSE(gif.isNull());
        EXPECT_EQ(imageFormatOf(gif), ImageFormat::Undefined);
    }
    EXPECT_TRUE(coders.decodedImageWithData("not an image at all").isNull());
    EXPECT_TRUE(coders.decodedImageWithData({}).isNull());
}

TEST(ImageDecoding, EncodingWithoutFormatFollowsAlpha) {
    auto &coders = ImageCodersManager::sharedInstance();
    const QByteArray withAlpha =
        coders.encodedDataWithImage(patternImage(8, 8, true), ImageFormat::Undefined);
    const QByteArray opaque =
        coders.encodedDataWithImage(patternImage(8, 8, false), ImageFormat::Undefined);
    EXPECT_EQ(imageFormatForImageData(withAlpha), ImageFormat::PNG);
    EXPECT_EQ(imageFormatForImageData(opaque), ImageFormat::JPEG);
    EXPECT_EQ(
        imageFormatForImageData(coders.encodedDataWithImage(patternImage(8, 8), ImageFormat::PNG)),
        ImageFormat::PNG);
    EXPECT_TRUE(coders.encodedDataWithImage(QImage(), ImageFormat::PNG).isEmpty());

    // The format tag is ours: it must not leak into the file as metadata.
    QImage tagged = coders.decodedImageWithData(pngBytes());
    const QByteArray again = coders.encodedDataWithImage(tagged, ImageFormat::PNG);
    EXPECT_FALSE(again.contains("kelvane"));
    EXPECT_EQ(coders.decodedImageWithData(again).size(), tagged.size());
}

namespace {
// Decodes anything into a 1×1 picture, to see who answers.
class OnePixelCoder : public ImageCoder {
  public:
    bool canDecodeFromData(const QByteArray &data) const override { return data.startsWith("ONE"); }
    QImage decodedImageWithData(const QByteArray &) const override {
        QImage image(1, 1, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    }
    QImage decompressedImageWithImage(const QImage &image, QByteArray *,
                                      const ImageCoderOptions &) const override {
        return image.copy();
    }
    bool canEncodeToFormat(ImageFormat) const override { return false; }
    QByteArray encodedDataWithImage(const QImage &, ImageFormat) const override { return {}; }
};
} // namespace

TEST(ImageDecoding, LaterCodersAreAskedFirst) {
    ImageCodersManager coders;
    ASSERT_EQ(coders.coders().size(), 1);
    coders.addCoder(nullptr); // not a coder: ignored
    EXPECT_EQ(coders.coders().size(), 1);

    auto one = std::make_shared<OnePixelCoder>();
    coders.addCoder(one);
    EXPECT_EQ(coders.coders().size(), 2);
    EXPECT_EQ(coders.decodedImageWithData("ONE and more").size(), QSize(1, 1));
    // What the newer coder refuses still reaches the image I/O coder.
    EXPECT_EQ(coders.decodedImageWithData(jpegBytes(5, 5)).size(), QSize(5, 5));
    EXPECT_FALSE(coders.encodedDataWithImage(patternImage(4, 4), ImageFormat::JPEG).isEmpty());

    // Decompression keeps the input's format tag whatever the coder returns.
    QImage tagged(2, 2, QImage::Format_RGB32);
    setImageFormat(tagged, ImageFormat::PNG);
    QByteArray data("ONE");
    EXPECT_EQ(imageFormatOf(coders.decompressedImageWithImage(tagged, &data, {})),
              ImageFormat::PNG);

    coders.removeCoder(one);
    EXPECT_EQ(coders.coders().size(), 1);
}

TEST(ImageDecoding, ScaleRuleAndDecompressionKeepTheImage) {
    const QImage image = patternImage(6, 6);
    EXPECT_EQ(scaledImageForKey(QStringLiteral("http://h/a@2x.png"), image).cacheKey(),
              image.cacheKey());
    QByteArray data("x");
    EXPECT_EQ(
        ImageIOCoder::sharedCoder()->decompressedImageWithImage(image, &data, {true}).cacheKey(),
        image.cacheKey());
    EXPECT_EQ(data, QByteArray("x"));
}

TEST(ImageDecoding, HugeClaimedDimensionsFailWithoutAllocating) {
    auto &coders = ImageCodersManager::sharedInstance();
    const QByteArray honest = pngClaiming(4, 4);
    ASSERT_FALSE(coders.decodedImageWithData(honest).isNull()) << "the crafted PNG must be valid";
    // 60000 × 60000 × 4 bytes would be 13 GiB.
    EXPECT_TRUE(coders.decodedImageWithData(pngClaiming(60000, 60000)).isNull());
    // Just above the bound is refused too, just below is attempted (and fails on the
    // missing pixel data rather than on the size).
    const qint64 limit = ImageIOCoder::maxDecodedBytes();
    EXPECT_EQ(limit, qint64(64) << 20);
    EXPECT_TRUE(coders.decodedImageWithData(pngClaiming(4097, 4096)).isNull());
}

TEST(ImageDecoding, DisplaySizeCoversTheViewWithoutStretching) {
    EXPECT_EQ(sizeCovering(QSize(500, 500), QSize(160, 160)), QSize(160, 160));
    // One side meets the view, the other overflows it, so a view may crop, never stretch.
    EXPECT_EQ(sizeCovering(QSize(400, 300), QSize(160, 160)), QSize(214, 160));
    EXPECT_EQ(sizeCovering(QSize(300, 1200), QSize(120, 160)), QSize(120, 480));
    // Never up, and no size asked means the whole picture.
    EXPECT_EQ(sizeCovering(QSize(100, 80), QSize(160, 160)), QSize(100, 80));
    EXPECT_EQ(sizeCovering(QSize(500, 400), QSize()), QSize(500, 400));
    EXPECT_EQ(sizeCovering(QSize(500, 400), QSize(0, 160)), QSize(500, 400));
    EXPECT_EQ(sizeCovering(QSize(5000, 1), QSize(160, 160)), QSize(5000, 1));
}

TEST(ImageDecoding, DecodesAtTheDisplaySizeWhateverTheFormat) {
    auto &coders = ImageCodersManager::sharedInstance();
    struct Case {
        QByteArray bytes;
        ImageFormat format;
    };
    const Case cases[] = {{jpegBytes(1200, 900), ImageFormat::JPEG},
                          {jpegBytes(500, 500), ImageFormat::JPEG},
                          // Odd sides (the decoder's reduction rounds up), a reduction by
                          // eight, and one too small for any power of two.
                          {jpegBytes(1001, 333), ImageFormat::JPEG},
                          {jpegBytes(1300, 1290), ImageFormat::JPEG},
                          {jpegBytes(300, 301), ImageFormat::JPEG},
                          {pngBytes(400, 300, true), ImageFormat::PNG},
                          {encoded(patternImage(400, 300), "bmp"), ImageFormat::Undefined}};
    for (const Case &c : cases) {
        const QImage whole = coders.decodedImageWithData(c.bytes);
        const QImage shown = coders.decodedImageWithData(c.bytes, QSize(160, 160));
        EXPECT_EQ(shown.size(), sizeCovering(whole.size(), QSize(160, 160))) << int(c.format);
        EXPECT_EQ(imageFormatOf(shown), c.format);
        EXPECT_EQ(shown.hasAlphaChannel(), whole.hasAlphaChannel());
        // The same picture, smaller: its mean colour stays.
        const QColor a =
            whole.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
        const QColor b =
            shown.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixelColor(0, 0);
        EXPECT_NEAR(a.red(), b.red(), 12);
        EXPECT_NEAR(a.green(), b.green(), 12);
        EXPECT_NEAR(a.blue(), b.blue(), 12);
        EXPECT_EQ(coders.decodedImageWithData(c.bytes, QSize()).size(), whole.size());
    }
    // Small pictures and refused ones are what they were.
    EXPECT_EQ(coders.decodedImageWithData(jpegBytes(100, 80), QSize(160, 160)).size(),
              QSize(100, 80));
    EXPECT_TRUE(coders.decodedImageWithData(pngClaiming(50000, 50000), QSize(160, 160)).isNull());
    EXPECT_TRUE(coders.decodedImageWithData("not a picture", QSize(160, 160)).isNull());
}
