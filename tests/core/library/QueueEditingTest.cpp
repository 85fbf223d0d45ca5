// Queue editing: the moves a drag and drop makes, the incremental reading of a changed
// queue, and the album filter.
#include "LibraryFixture.h"

#include "core/library/AlbumFilter.h"
#include "core/library/MPDQueue.h"
#include "core/library/QueueMoves.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

// The order a drop must give: the rows before the drop point that stay, the selection
// in order, the rest.
QList<qint32> wantedOrder(qint32 length, QList<qint32> rows, qint32 drop) {
    QList<qint32> before, selected, after;
    for (qint32 r = 0; r < length; ++r) {
        if (rows.contains(r))
            selected << r;
        else if (r < drop)
            before << r;
        else
            after << r;
    }
    return before + selected + after;
}

qsizetype ranges(const QList<qint32> &sortedRows) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < sortedRows.size(); ++i)
        if (i == 0 || sortedRows[i] != sortedRows[i - 1] + 1) ++n;
    return n;
}

} // namespace

TEST(QueueMovesPlan, DropsGiveTheWantedOrderInFewMoves) {
    struct Case {
        qint32 length;
        QList<qint32> rows;
        qint32 drop;
        qsizetype moves;
    };
    const Case cases[] = {
        {10, {5}, 0, 1},          {10, {5, 8}, 0, 2},    {10, {2, 3}, 7, 1}, {10, {0, 3}, 6, 2},
        {10, {9}, 10, 0},         {10, {4, 5, 6}, 5, 0}, {10, {1, 2}, 2, 0}, {5, {}, 2, 0},
        {5, {7, -1, 2, 2}, 0, 1}, {3, {0, 1, 2}, 3, 0},
    };
    for (const Case &c : cases) {
        const QList<QueueMove> moves = queuemoves::plan(c.length, c.rows, c.drop);
        EXPECT_EQ(queuemoves::apply(c.length, moves), wantedOrder(c.length, c.rows, c.drop))
            << c.length << " drop " << c.drop;
        EXPECT_EQ(moves.size(), c.moves) << c.length << " drop " << c.drop;
    }
    // Any selection, any drop: the right order, in no more moves than ranges and one.
    QRandomGenerator random(42);
    for (int round = 0; round < 400; ++round) {
        const qint32 length = 1 + qint32(random.bounded(40));
        QList<qint32> rows;
        for (qint32 r = 0; r < length; ++r)
            if (random.bounded(3) == 0) rows << r;
        const qint32 drop = qint32(random.bounded(length + 1));
        const QList<QueueMove> moves = queuemoves::plan(length, rows, drop);
        ASSERT_EQ(queuemoves::apply(length, moves), wantedOrder(length, rows, drop))
            << "round " << round;
        EXPECT_LE(moves.size(), ranges(rows) + 1) << "round " << round;
    }
}

TEST(AlbumSearch, CaseAccentsWordsAndYears) {
    const QList<Album> albums = {
        {QStringLiteral("Beyoncé"),
         QStringLiteral("Lemonade"),
         QStringLiteral("b/l"),
         QStringLiteral("R&B"),
         2016,
         {}},
        {QStringLiteral("Été 67"),
         QStringLiteral("Le quartier"),
         QStringLiteral("e/q"),
         QStringLiteral("Chanson"),
         2006,
         {}},
        {QStringLiteral("Pink Floyd"),
         QStringLiteral("The Wall"),
         QStringLiteral("p/w"),
         QStringLiteral("Rock"),
         1979,
         {}},
        {QStringLiteral("Björk"), QStringLiteral("Homogenic"), QStringLiteral("b/h"), {}, 0, {}},
        {QStringLiteral("Sigur Rós"),
         QStringLiteral("Ágætis byrjun"),
         QStringLiteral("s/a"),
         QStringLiteral("Post-rock"),
         1999,
         {}},
        {QString(), QString(), QString(), QString(), 0, {}},
    };
    AlbumFilter filter;
    filter.setAlbums(albums);
    EXPECT_EQ(filter.matching(QStringLiteral("beyonce")), QList<qsizetype>{0});
    EXPECT_EQ(filter.matching(QStringLiteral("ete")), QList<qsizetype>{1});
    EXPECT_EQ(filter.matching(QStringLiteral("ÉTÉ")), QList<qsizetype>{1});
    EXPECT_EQ(filter.matching(QStringLiteral("bjork homo")), QList<qsizetype>{3});
    EXPECT_EQ(filter.matching(QStringLiteral("agaetis")), QList<qsizetype>{4});
    EXPECT_EQ(filter.matching(QStringLiteral("1979")), QList<qsizetype>{2});
    EXPECT_EQ(filter.matching(QStringLiteral("rock")), (QList<qsizetype>{2, 4}));
    EXPECT_EQ(filter.matching(QStringLiteral("wall pink")), QList<qsizetype>{2});
    EXPECT_EQ(filter.matching(QStringLiteral("floyd lemonade")), QList<qsizetype>{});
    EXPECT_EQ(filter.matching(QStringLiteral("  ")).size(), albums.size());
    // A word never spans two fields.
    EXPECT_EQ(filter.matching(QStringLiteral("wallrock")), QList<qsizetype>{});
}

// The fold goes a character at a time (the whole text at once was quadratic): it must
// give what decomposing the whole text gave, marks dropped whatever their order.
TEST(AlbumSearch, FoldingACharacterAtATimeIsFoldingTheWholeText) {
    const auto wholeText = [](const QString &text) {
        QString out;
        for (QChar c : text.normalized(QString::NormalizationForm_KD))
            if (!c.isMark()) out += c;
        out.replace(QChar(0x0152), QLatin1String("oe")).replace(QChar(0x0153), QLatin1String("oe"));
        out.replace(QChar(0x00C6), QLatin1String("ae")).replace(QChar(0x00E6), QLatin1String("ae"));
        out.replace(QChar(0x00DF), QLatin1String("ss")).replace(QChar(0x00D8), QLatin1Char('o'));
        out.replace(QChar(0x00F8), QLatin1Char('o'));
        return out.toCaseFolded();
    };
    const QString texts[] = {
        QStringLiteral("Éléonore Fauré"),
        QStringLiteral("Ærøskøbing Brass — Œuvres ﬁnales, Straße"),
        QStringLiteral("e\u0301 x\u0323\u0302 x\u0302\u0323 \u01D6"), // marks in either order
        QStringLiteral("한국어 Ⅻ ｆｕｌｌ ½"),
        QStringLiteral("\U0001D504\U0001D51F \U0001F3B5"), // outside the basic plane
        QString(QChar(0xD800)) + QStringLiteral("lone surrogate"),
        QString(),
    };
    for (const QString &text : texts)
        EXPECT_EQ(AlbumFilter::fold(text), wholeText(text)) << qPrintable(text);
    EXPECT_EQ(AlbumFilter::fold(QStringLiteral("ÆRØSKØBING")), QStringLiteral("aeroskobing"));
}

TEST(QueueChanges, EditsAreReadAsChangesAndMatchAWholeRead) {
    auto server = startStandardServer();
    connectCoreTo(*server);
    server->command(QStringLiteral("clear"));
    server->command(QStringLiteral("add \"The Beatles\""));
    server->command(QStringLiteral("add \"Pink Floyd\""));
    MPDQueue &queue = MPDQueue::sMPDQueue();
    QueueContent held = queue.readQueue().value();
    ASSERT_EQ(held.songs.size(), 6);

    const auto paths = [](const QueueContent &c) {
        QStringList out;
        for (const Song &s : c.songs)
            out << s.fullPath();
        return out;
    };
    const auto step = [&](const QString &edit, qsizetype first, qsizetype removed,
                          qsizetype inserted) {
        server->command(edit);
        const auto update = queue.readChanges(held);
        ASSERT_TRUE(update.has_value()) << qPrintable(edit);
        const QueueContent whole = queue.readQueue().value();
        EXPECT_FALSE(update->whole) << qPrintable(edit);
        EXPECT_EQ(paths(update->content), paths(whole)) << qPrintable(edit);
        EXPECT_EQ(update->content.ids, whole.ids) << qPrintable(edit);
        EXPECT_EQ(update->content.version, whole.version) << qPrintable(edit);
        EXPECT_EQ(update->diff.first, first) << qPrintable(edit);
        EXPECT_EQ(update->diff.removed, removed) << qPrintable(edit);
        EXPECT_EQ(update->diff.inserted, inserted) << qPrintable(edit);
        held = update->content;
    };
    step(QStringLiteral("add \"ABBA/Gold/01 Dancing Queen.flac\""), 6, 0, 1);
    step(QStringLiteral("delete 0"), 0, 1, 0);
    step(QStringLiteral("move 4 1"), 1, 4, 4);
    step(QStringLiteral("delete 2:4"), 2, 2, 0);
    step(QStringLiteral("clear"), 0, 4, 0);
    step(QStringLiteral("add \"Abba\""), 0, 0, 1);
    disconnectCore();
}
