#include "mpdc/ProtocolLocale.h"

#include <clocale>

namespace kelvane::mpdc {

void keepProtocolLocale() {
    std::setlocale(LC_NUMERIC, "C");
    std::setlocale(LC_MESSAGES, "C");
}

} // namespace kelvane::mpdc
