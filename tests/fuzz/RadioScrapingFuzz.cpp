// Directory pages (OPML scraped as text): every entry point that builds a list from a
// fetched document, and the per-line and per-attribute steps on each of its lines.
#include "FuzzInput.h"

#include "core/radio/RadioLoader.h"

using namespace kelvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString document = fuzz::text(data, size);
    const RadioLoader &loader = RadioLoader::sRadioLoader();

    const QList<Radio> shown = loader.radioList(document);
    fuzz::check(!shown.isEmpty() || !document.isEmpty(), "an empty page gave no error entry");
    const QList<Radio> sorted = loader.tri(document);
    const std::optional<QStringList> lines = loader.regimeSec(document);
    fuzz::check(lines.has_value() || sorted.isEmpty(), "a page without status 200 gave entries");
    (void)loader.error(document);

    // The steps of one line, on each line of the page as it is (not only the outline
    // lines tri picks), so malformed attributes reach them too.
    int budget = 64; // a few lines are enough; the page itself bounds the rest
    for (const QString &line : document.split(QLatin1Char('\n'))) {
        if (--budget < 0) break;
        (void)loader.moulinetteLien(line);
        (void)loader.moulinetteNode(line);
        for (const QString &piece : loader.decoupe(line)) {
            (void)loader.getUrl(piece);
            (void)loader.getText(piece);
            (void)loader.getSubText(piece);
            (void)loader.getImage(piece);
        }
    }
    return 0;
}
