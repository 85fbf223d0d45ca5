#pragma once

// The accent- and case-blind forms of a text that the searches match and the lists sort
// by, the same on every machine whatever its locale. Linear in the text: each character
// is decomposed on its own, as a whole-text normalisation costs quadratic time on long
// runs of accented letters. Pure functions; any thread.
#include <QString>
#include <QStringView>

namespace kelvane::textfold {

// Compatibility decomposition (NFKD: "é" is "e" and a mark, "ﬁ" is "fi"), every
// combining mark dropped, simple case folding, and the Latin letters that have no
// decomposition spelled out: æ→ae, ø→o, œ→oe, ß/ẞ→ss, đ/ð→d, ł→l, þ→th (either case).
QString searchKey(QStringView text);
// The same, but only the non-spacing marks (accents) go, so that the vowel signs of
// scripts that write them as spacing marks still count.
QString sortKey(QStringView text);
// By sortKey, then case-insensitively, as the lists ordered before keys existed: <0,
// 0, >0.
int compareForOrder(QStringView a, QStringView b);

} // namespace kelvane::textfold
