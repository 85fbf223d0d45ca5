// Directory names and descriptions: character references decoded from hostile text.
#include "FuzzInput.h"

#include "core/radio/HtmlDecode.h"

using namespace kelvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString input = fuzz::text(data, size);
    const QString decoded = htmlDecode(input);
    // Every reference is at least as long as what replaces it.
    fuzz::check(decoded.size() <= input.size(), "decoding made the text longer");
    if (!input.contains(QLatin1Char('&')))
        fuzz::check(decoded == input, "text without references changed");
    return 0;
}
