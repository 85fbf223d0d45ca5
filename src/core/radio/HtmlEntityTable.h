#pragma once

#include <QStringView>
#include <array>

namespace kelvane {

// One named character reference: the whole reference text ("&eacute;") and its
// UTF-16 code unit (every entry lies in the Basic Multilingual Plane).
struct HtmlEntity {
    QStringView reference;
    char16_t unit;
};

// The 253 named references htmlDecode knows, in lookup order. Any thread.
const std::array<HtmlEntity, 253> &htmlEntityTable();

} // namespace kelvane
