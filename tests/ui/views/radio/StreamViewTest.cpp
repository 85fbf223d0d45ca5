#include "ui/views/radio/StreamView.h"
#include "StreamFixture.h"
#include "core/mpd/MPDCache.h"
#include "ui/views/radio/StreamEdit.h"
#include "ui/views/radio/StreamListing.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class StreamViewTest : public StreamFixture {
  protected:
    static QStringList shownNames(const StreamView &view) {
        QStringList names;
        const QTableWidget *table = view.streamTableView();
        for (int row = 0; row < table->rowCount(); ++row)
            names << table->item(row, 0)->text();
        return names;
    }
    static void selectRows(StreamView &view, const QList<int> &rows) {
        QTableWidget *table = view.streamTableView();
        table->clearSelection();
        for (int row : rows)
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select |
                                                QItemSelectionModel::Rows);
    }
};

TEST(StreamListing, PositionsAreSentInAscendingOrderLessThoseAlreadyDeleted) {
    EXPECT_EQ(StreamListing::deletionSequence({10, 2, 9}), (QList<quint32>{2, 8, 8}));
    EXPECT_EQ(StreamListing::deletionSequence({0, 0, 1}), (QList<quint32>{0, 0}));
    EXPECT_TRUE(StreamListing::deletionSequence({}).isEmpty());
}

TEST(StreamListing, InputNeedsANameAndAnHttpAddressOfEightCharactersOrMore) {
    EXPECT_TRUE(StreamListing::checkInput("Radio", "http://a").valid());
    EXPECT_TRUE(StreamListing::checkInput("Radio", "https://radio.example/live").valid());
    EXPECT_FALSE(StreamListing::checkInput("Radio", "http://").urlOk);
    EXPECT_FALSE(StreamListing::checkInput("Radio", "ftp://radio.example/live").urlOk);
    EXPECT_FALSE(StreamListing::checkInput("Radio", "HTTP://radio.example/live").urlOk);
    const auto noName = StreamListing::checkInput("", "http://radio.example/live");
    EXPECT_FALSE(noName.nameOk);
    EXPECT_TRUE(noName.urlOk);
}

TEST_F(StreamViewTest, ListsStreamsByNameIgnoringCase) {
    store({"http://b.example/#b", "http://a.example/#A", "http://c.example/#c"});
    StreamView view;
    EXPECT_EQ(shownNames(view), (QStringList{"A", "b", "c"}));
    EXPECT_EQ(view.streamArray().at(0).position, 1);
}

TEST_F(StreamViewTest, AccentedInitialsSortAmongTheirLetters) {
    store({"http://z.example/#Zoë Kravitz Trio", "http://e.example/#Éléonore Fauré",
           "http://ae.example/#Ærøskøbing Brass", "http://ea.example/#Eagles",
           "http://a.example/#abba"});
    StreamView view;
    EXPECT_EQ(shownNames(view), (QStringList{"abba", "Ærøskøbing Brass", "Eagles", "Éléonore Fauré",
                                             "Zoë Kravitz Trio"}));
}

TEST_F(StreamViewTest, MenuPlaysAppendsOrPutsTheStreamNext) {
    store({"http://127.0.0.1:9/a#A", "http://127.0.0.1:9/b#B"});
    s_server->command(QStringLiteral("clear"));
    s_server->command(QStringLiteral("add \"http://127.0.0.1:9/first\""));
    StreamView view;
    const auto queue = [] {
        QStringList files;
        for (const QString &line : s_server->command(QStringLiteral("playlistinfo")))
            if (line.startsWith(QLatin1String("file: "))) files << line.mid(6);
        return files;
    };
    const auto choose = [&view](int row, const QString &title) {
        QMenu menu;
        view.fillContextMenu(&menu, row);
        QStringList titles;
        for (QAction *action : menu.actions())
            titles << action->text();
        EXPECT_EQ(titles.mid(0, 3),
                  (QStringList{"Lire", "Ajouter à la lecture en cours", "Lire ensuite"}));
        EXPECT_TRUE(titles.contains(QStringLiteral("Modifier…")));
        EXPECT_EQ(menu.defaultAction() ? menu.defaultAction()->text() : QString(),
                  QStringLiteral("Lire"));
        for (QAction *action : menu.actions())
            if (action->text() == title) action->trigger();
    };
    // Nothing playing: "next" is the top of the queue.
    choose(1, QStringLiteral("Lire ensuite"));
    EXPECT_EQ(queue(), (QStringList{"http://127.0.0.1:9/b", "http://127.0.0.1:9/first"}));
    choose(0, QStringLiteral("Ajouter à la lecture en cours"));
    EXPECT_EQ(queue(), (QStringList{"http://127.0.0.1:9/b", "http://127.0.0.1:9/first",
                                    "http://127.0.0.1:9/a"}));
    s_server->command(QStringLiteral("clear"));
}

TEST_F(StreamViewTest, NotConnectedShowsAnEmptyList) {
    store({"http://a.example/#A"});
    MPDSocket::sMPDSocket().disconnect();
    StreamView view;
    EXPECT_EQ(view.streamTableView()->rowCount(), 0);
}

TEST_F(StreamViewTest, DeletesTheRightClickedRowNotTheSelectedOne) {
    store({"http://a.example/#A", "http://b.example/#B", "http://c.example/#C"});
    StreamView view;
    selectRows(view, {2});
    view.menuWillOpen(0);
    view.deleteStreams();
    QWidget *dialog = view.confirmStream();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "Supprimer stream");
    EXPECT_TRUE(showsText(dialog, "Confirmer la suppression de: A"));
    EXPECT_TRUE(view.editActive());
    answerConfirmation(dialog, "delete");
    EXPECT_EQ(stored(), (QStringList{"http://b.example/#B", "http://c.example/#C"}));
    EXPECT_EQ(shownNames(view), (QStringList{"B", "C"}));
    EXPECT_FALSE(view.editActive());
}

TEST_F(StreamViewTest, DeletesExactlyTheSelectedPositions) {
    QStringList entries;
    for (int i = 0; i <= 10; ++i)
        entries << QStringLiteral("http://s%1.example/#s%1").arg(i, 2, 10, QLatin1Char('0'));
    store(entries);
    StreamView view;
    selectRows(view, {2, 9, 10});
    view.menuWillOpen(9);
    view.deleteStreams();
    ASSERT_TRUE(view.selectedItems());
    EXPECT_EQ(*view.selectedItems(), (QList<qint32>{2, 9, 10}));
    EXPECT_TRUE(showsText(view.confirmStream(), "Confirmer la suppression des 3 éléments"));
    answerConfirmation(view.confirmStream(), "delete");
    QStringList expected = entries;
    expected.removeAt(10);
    expected.removeAt(9);
    expected.removeAt(2);
    EXPECT_EQ(stored(), expected);
}

TEST_F(StreamViewTest, StreamsSharingAnAddressAreDeletedTogether) {
    store({"http://x.example/#One", "http://y.example/#Two", "http://x.example/#Three",
           "http://z.example/#Four"});
    StreamView view; // shown: Four, One, Three, Two
    selectRows(view, {1, 3});
    view.menuWillOpen(1);
    view.deleteStreams();
    EXPECT_TRUE(showsText(view.confirmStream(), "Confirmer la suppression des 3 éléments"));
    answerConfirmation(view.confirmStream(), "delete");
    EXPECT_EQ(stored(), (QStringList{"http://z.example/#Four"}));
}

TEST_F(StreamViewTest, CancelDeletesNothingAndFreesEditAndDelete) {
    store({"http://a.example/#A", "http://b.example/#B"});
    StreamView view;
    view.menuWillOpen(1);
    view.deleteStreams();
    QWidget *first = view.confirmStream();
    ASSERT_TRUE(first);
    view.edit(); // waits for the confirmation
    EXPECT_FALSE(view.streamEdit());
    answerConfirmation(first, "cancel");
    EXPECT_EQ(stored().size(), 2);
    EXPECT_FALSE(view.editActive());
    view.edit();
    ASSERT_TRUE(view.streamEdit());
    EXPECT_EQ(view.streamEdit()->nameField()->text(), "B");
    view.streamEdit()->cancel();
    view.deleteStreams();
    EXPECT_TRUE(view.confirmStream());
}

TEST_F(StreamViewTest, AnotherEditorClosingKeepsTheOpenConfirmationsPositions) {
    store({"http://a.example/#A", "http://b.example/#B"});
    StreamView view;
    view.menuWillOpen(0);
    view.deleteStreams();
    // An add window of the main window closes: editActive is cleared, but a second
    // request must not replace what the open confirmation deletes.
    StreamEdit::openForAdd(nullptr)->cancel();
    EXPECT_FALSE(view.editActive());
    view.menuWillOpen(1);
    view.deleteStreams();
    answerConfirmation(view.confirmStream(), "delete");
    EXPECT_EQ(stored(), (QStringList{"http://b.example/#B"}));
}

TEST_F(StreamViewTest, DoubleClickPlaysTheStreamOfThatRow) {
    s_server->command(QStringLiteral("clear"));
    store({"http://127.0.0.1:9/b.mp3#B", "http://127.0.0.1:9/a.mp3#A"});
    StreamView view;
    view.doubleClick(5); // outside the rows
    EXPECT_TRUE(s_server->value(QStringLiteral("status"), QStringLiteral("playlistlength")) == "0");
    view.doubleClick(0);
    EXPECT_EQ(s_server->value(QStringLiteral("playlistinfo"), QStringLiteral("file")),
              "http://127.0.0.1:9/a.mp3");
    s_server->command(QStringLiteral("clear"));
}

TEST_F(StreamViewTest, AClosedViewLeavesItsListenerSlot) {
    auto view = std::make_unique<StreamView>();
    EXPECT_EQ(MPDCache::sMPDCache().delegateStream(), view.get());
    view.reset();
    EXPECT_EQ(MPDCache::sMPDCache().delegateStream(), nullptr);
    MPDCache::sMPDCache().streamUpdateTrigger(); // dropped, not delivered to a dead view
}

} // namespace
