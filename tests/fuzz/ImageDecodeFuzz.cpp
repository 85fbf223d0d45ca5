// Cover images: the format sniffing and the decoder under a size cap, whole and at a
// view's size, as the loader calls them on downloaded bytes.
#include "FuzzInput.h"

#include "imageloading/ImageFormat.h"
#include "imageloading/ImageIOCoder.h"

#include <QCoreApplication>

using namespace kelvane;

namespace {
// Small enough that a decoded picture costs little per run, large enough for real covers.
constexpr qint64 cap = qint64(4) << 20;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // The JPEG decoder is a plugin: found through the application's library paths.
    static QCoreApplication app(*argc, *argv);
    // The decoders' warnings on every broken file would be most of the run's work.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    ImageIOCoder::sharedCoder();
    ImageIOCoder::setMaxDecodedBytes(cap);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the view's size; the rest is the file as downloaded.
    const int side = data[0];
    const QByteArray file = fuzz::bytes(data + 1, size - 1);
    const ImageFormat sniffed = imageFormatForImageData(file);
    const ImageIOCoder &coder = *ImageIOCoder::sharedCoder();
    for (const QSize target : {QSize(), QSize(side, side / 2 + 1)}) {
        const QImage image = coder.decodedImageWithData(file, target);
        if (image.isNull()) continue;
        fuzz::check(memoryCostOf(image) <= cap, "decoded image over the cap");
        fuzz::check(imageFormatOf(image) == sniffed, "decoded image lost its format tag");
    }
    return 0;
}
