#include "ui/views/radio/StreamEdit.h"
#include "StreamFixture.h"
#include "core/mpd/MPDCache.h"
#include "ui/views/radio/StreamView.h"

#include <QLineEdit>
#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class StreamEditTest : public StreamFixture {
  protected:
    static bool isRed(const QLabel *label) {
        return label->palette().color(QPalette::WindowText) == StreamEdit::errorColour();
    }
    static void fill(StreamEdit *edit, const QString &name, const QString &url) {
        edit->nameField()->setText(name);
        edit->urlField()->setText(url);
    }
    int closedPosts = 0;
    QObject observer;
    void SetUp() override {
        StreamFixture::SetUp();
        NotificationCenter::defaultCenter().observe(
            QStringLiteral("editStreamBoxClose"), &observer,
            [this](const NotificationInfo &) { ++closedPosts; });
    }
};

TEST_F(StreamEditTest, AddAppendsTheEntryAndClosesTheWindow) {
    store({"http://a.example/#A"});
    StreamEdit *edit = StreamEdit::openForAdd(nullptr);
    EXPECT_TRUE(edit->isAddMode());
    fill(edit, "Jazz # Nuit", "https://jazz.example/live");
    edit->save();
    EXPECT_EQ(stored(),
              (QStringList{"http://a.example/#A", "https://jazz.example/live#Jazz # Nuit"}));
    EXPECT_FALSE(edit->isVisible());
    EXPECT_EQ(closedPosts, 1);
}

TEST_F(StreamEditTest, RefusesAnotherSchemeOrAnEmptyNameAndColoursTheLabel) {
    StreamEdit *edit = StreamEdit::openForAdd(nullptr);
    fill(edit, "Radio", "ftp://radio.example/live");
    edit->save();
    EXPECT_TRUE(isRed(edit->labelURL()));
    EXPECT_FALSE(isRed(edit->labelName()));
    EXPECT_TRUE(edit->isVisible());

    fill(edit, "", "http://radio.example/live");
    edit->save();
    EXPECT_TRUE(isRed(edit->labelName()));
    EXPECT_FALSE(isRed(edit->labelURL()));
    EXPECT_TRUE(stored().isEmpty());
    // A refused save still tells the stream view that the box answered.
    EXPECT_EQ(closedPosts, 2);
}

TEST_F(StreamEditTest, ControlCharactersInEitherFieldAreRefusedWithARedLabel) {
    StreamEdit *edit = StreamEdit::openForAdd(nullptr);
    // A directory entry's name that would run "clear" on the server.
    fill(edit, "Jazz FM\nclear\nping", "http://jazz.example/live");
    edit->save();
    EXPECT_TRUE(isRed(edit->labelName()));
    EXPECT_FALSE(edit->labelName()->toolTip().isEmpty());
    EXPECT_FALSE(isRed(edit->labelURL()));
    fill(edit, "Jazz FM", QStringLiteral("http://jazz.example/live\tx") + QChar(0x7f));
    edit->save();
    EXPECT_FALSE(isRed(edit->labelName()));
    EXPECT_TRUE(edit->labelName()->toolTip().isEmpty());
    EXPECT_TRUE(isRed(edit->labelURL()));
    EXPECT_FALSE(edit->urlField()->toolTip().isEmpty());
    EXPECT_TRUE(edit->isVisible());
    EXPECT_TRUE(stored().isEmpty());

    fill(edit, "Jazz FM", "http://jazz.example/live");
    edit->save();
    EXPECT_EQ(stored(), QStringList{"http://jazz.example/live#Jazz FM"});
}

TEST_F(StreamEditTest, EscapeCancelsLikeTheCancelButton) {
    StreamEdit *edit = StreamEdit::openForAdd(nullptr);
    QPointer<StreamEdit> alive(edit);
    fill(edit, "Jazz", "http://jazz.example/live");
    QTest::keyClick(edit->nameField(), Qt::Key_Escape);
    EXPECT_TRUE(alive.isNull() || !alive->isVisible());
    EXPECT_EQ(closedPosts, 1);
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(StreamEditTest, AnEditReplacesTheStreamAndTheViewReloadsSorted) {
    store({"http://a.example/#A", "http://b.example/#B", "http://c.example/#C"});
    StreamView view;
    view.menuWillOpen(0);
    view.edit();
    StreamEdit *edit = view.streamEdit();
    ASSERT_TRUE(edit);
    EXPECT_FALSE(edit->isAddMode());
    EXPECT_EQ(edit->urlField()->text(), "http://a.example/");
    fill(edit, "Zeta", "http://a.example/new");
    edit->save();
    EXPECT_EQ(stored(), (QStringList{"http://b.example/#B", "http://c.example/#C",
                                     "http://a.example/new#Zeta"}));
    ASSERT_EQ(view.streamArray().size(), 3);
    EXPECT_EQ(view.streamArray().at(2).name, "Zeta");
    EXPECT_FALSE(view.editActive());
}

TEST_F(StreamEditTest, AddAndEditWindowsKeepTheirOwnModes) {
    store({"http://a.example/#A", "http://b.example/#B"});
    StreamEdit *add = StreamEdit::openForAdd(nullptr);
    StreamView view;
    view.menuWillOpen(0);
    view.edit();
    StreamEdit *edit = view.streamEdit();
    ASSERT_TRUE(edit);
    EXPECT_TRUE(add->isAddMode());
    EXPECT_FALSE(edit->isAddMode());
    fill(add, "New", "http://new.example/");
    add->save();
    fill(edit, "A2", "http://a.example/");
    edit->save();
    EXPECT_EQ(stored(), (QStringList{"http://b.example/#B", "http://new.example/#New",
                                     "http://a.example/#A2"}));
}

// The edited stream used to be deleted before its new entry was written: a refused
// write then lost it. The server refuses an address with an unknown scheme that still
// passes the "http" check.
TEST_F(StreamEditTest, ARefusedWriteKeepsTheEditedStream) {
    ASSERT_TRUE(s_server->command(QStringLiteral("playlistadd probe \"httpx://a.example/\""))
                    .value(0)
                    .startsWith("ACK"));
    store({"http://a.example/#A", "http://b.example/#B"});
    StreamView view;
    view.menuWillOpen(0);
    view.edit();
    StreamEdit *edit = view.streamEdit();
    ASSERT_TRUE(edit);
    fill(edit, "A", "httpx://a.example/");
    edit->save();
    EXPECT_EQ(stored(), (QStringList{"http://a.example/#A", "http://b.example/#B"}));
}

// The list changed after the editor opened (another client deleted the first entry):
// the old position now holds another stream, which stays.
TEST_F(StreamEditTest, AStalePositionNeverDeletesAnotherStream) {
    store({"http://a.example/#A", "http://b.example/#B"});
    StreamView view;
    view.menuWillOpen(0);
    view.edit();
    StreamEdit *edit = view.streamEdit();
    ASSERT_TRUE(edit);
    s_server->command(QStringLiteral("playlistdelete \"[Radio Streams]\" 0"));
    fill(edit, "A2", "http://a.example/");
    edit->save();
    EXPECT_EQ(stored(), (QStringList{"http://b.example/#B", "http://a.example/#A2"}));
}

} // namespace
