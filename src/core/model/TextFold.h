#pragma once

// TextFold — the accent- and case-blind forms of a text that the searches match and the
// lists sort by, the same on every machine whatever its locale:
//   searchKey(text)   compatibility decomposition (NFKD: "é" is "e" and a mark, "ﬁ" is
//                     "fi"), every combining mark dropped, simple case folding, and the
//                     Latin letters that have no decomposition spelled out: æ→ae, ø→o,
//                     œ→oe, ß/ẞ→ss, đ/ð→d, ł→l, þ→th (in either case)
//   sortKey(text)     the same, but only the non-spacing marks go (accents), so that the
//                     vowel signs of scripts that write them as spacing marks still count
//   compareForOrder(a, b)  by sortKey, then as the lists ordered before keys existed
//                     (case-insensitively): <0, 0, >0
// Linear in the text: each character is decomposed on its own, as a whole-text
// normalisation costs quadratic time on long runs of accented letters.
// Thread: any (pure functions).
#include <QString>
#include <QStringView>

namespace kelvane::textfold {

QString searchKey(QStringView text);
QString sortKey(QStringView text);
int compareForOrder(QStringView a, QStringView b);

} // namespace kelvane::textfold
