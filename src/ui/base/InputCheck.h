#pragma once

#include <QString>
#include <QStringView>

namespace kelvane::inputcheck {

// Text typed for the server (a playlist name, a stream's name or address) must hold no
// control character (below U+0020, and U+007F): the protocol ends a command at a line
// feed, so the rest would run as a command of its own. Fields holding one turn their
// label red and are refused, with refusedReason() as their tooltip. Any thread.
bool hasControlCharacters(QStringView text);
QString refusedReason();

} // namespace kelvane::inputcheck
