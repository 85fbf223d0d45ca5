#pragma once

// The accent- and case-blind forms of a text that the searches match and the lists sort
// by, the same on every machine whatever its locale. Linear in the text: each character
// is decomposed on its own, as a whole-text normalisation costs quadratic time on long
// runs of accented letters. Pure functions; any thread.
#include <QList>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <numeric>
#include <vector>

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

// items in compareForOrder's order of nameOf(item), items equal under it in the order they
// came; each name is folded once, not at every comparison.
template <typename T, typename NameOf> QList<T> sortedForOrder(QList<T> items, NameOf nameOf) {
    std::vector<QString> keys;
    keys.reserve(size_t(items.size()));
    for (const T &item : items)
        keys.push_back(sortKey(nameOf(item)));
    std::vector<qsizetype> order(size_t(items.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&](qsizetype i, qsizetype j) {
        if (const int byKey = keys[size_t(i)].compare(keys[size_t(j)])) return byKey < 0;
        return QStringView(nameOf(items[i])).compare(nameOf(items[j]), Qt::CaseInsensitive) < 0;
    });
    QList<T> sorted;
    sorted.reserve(items.size());
    for (qsizetype i : order)
        sorted.append(std::move(items[i]));
    return sorted;
}

} // namespace kelvane::textfold
