#include "WindowFixture.h"

#include "ui/base/ConfirmDialog.h"
#include "ui/base/SetNameDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kelvane;
using namespace kelvane::test;

namespace {
void answerName(SetNameDialog *dialog, const QString &name) {
    ASSERT_TRUE(dialog);
    dialog->textField()->setText(name);
    dialog->okButton()->click();
}
} // namespace

TEST_F(WindowTest, OneDialogAtATimeAndClosingItReleasesTheLock) {
    activity->newPlaylist();
    ASSERT_TRUE(activity->dialogLocked());
    QPointer<SetNameDialog> first = activity->setNameDialog();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Nouvelle playlist"));
    EXPECT_EQ(first->parentWidget(), activity->window());

    activity->newPlaylist();
    activity->deletePlaylist();
    EXPECT_EQ(activity->setNameDialog(), first.data());
    EXPECT_EQ(activity->confirmDialog(), nullptr);

    // The window's close button answers "cancel", so the lock does not outlive it.
    first->close();
    EXPECT_FALSE(activity->dialogLocked());
    EXPECT_EQ(sideBar()->playlists(), QStringList({"Alpha", "beta"}));

    activity->saveAsPlaylist();
    EXPECT_TRUE(activity->dialogLocked());
    QTest::keyClick(activity->setNameDialog(), Qt::Key_Escape);
    EXPECT_FALSE(activity->dialogLocked());
}

TEST_F(WindowTest, CreateRenameDeleteEndInTheSidebar) {
    activity->addNewPlaylist();
    answerName(activity->setNameDialog(), QStringLiteral("Gamma"));
    EXPECT_FALSE(activity->dialogLocked());
    EXPECT_EQ(sideBar()->playlists(), QStringList({"Alpha", "beta", "Gamma"}));

    ASSERT_EQ(sideBar()->nameAtRow(8), QStringLiteral("Gamma"));
    menuTitles(8);
    activity->renamePlaylist();
    EXPECT_EQ(activity->setNameDialog()->windowTitle(), QStringLiteral("Renommer la playlist"));
    answerName(activity->setNameDialog(), QStringLiteral("Delta"));
    EXPECT_EQ(sideBar()->playlists(), QStringList({"Alpha", "beta", "Delta"}));

    menuTitles(8);
    activity->deletePlaylist();
    ConfirmDialog *confirm = activity->confirmDialog();
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->windowTitle(), QStringLiteral("Supprimer une playlist"));
    EXPECT_EQ(confirm->textInfo()->text(),
              QStringLiteral("Confirmer la suppression de la playlist: Delta"));
    confirm->deleteButton()->click();
    EXPECT_EQ(sideBar()->playlists(), QStringList({"Alpha", "beta"}));
    EXPECT_FALSE(activity->dialogLocked());

    // Cancelling a deletion keeps the playlist.
    menuTitles(6);
    activity->deletePlaylist();
    activity->confirmDialog()->close();
    EXPECT_EQ(sideBar()->playlists(), QStringList({"Alpha", "beta"}));
}

TEST_F(WindowTest, QueueSavedAsAPlaylist) {
    server->command(QStringLiteral("clear"));
    server->command(QStringLiteral("add \"The Beatles/Abbey Road\""));
    activity->saveCurrentPlayingList();
    EXPECT_EQ(activity->setNameDialog()->windowTitle(),
              QStringLiteral("Enregistrer comme playlist"));
    answerName(activity->setNameDialog(), QStringLiteral("Abbey"));
    EXPECT_EQ(sideBar()->playlists(), QStringList({"Abbey", "Alpha", "beta"}));
    const QStringList lines = server->command(QStringLiteral("listplaylist Abbey"));
    EXPECT_EQ(lines.size(), 2);
}

TEST_F(WindowTest, ThePlaylistOnScreenFollowsItsRenameAndLeavesWithItsDeletion) {
    ASSERT_TRUE(sideBar()->selectRow(6));
    menuTitles(6);
    activity->renamePlaylist();
    answerName(activity->setNameDialog(), QStringLiteral("Zeta"));
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("Zeta"));
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Playlist"));
    EXPECT_EQ(activity->window()->contentTitle()->text(), QStringLiteral("Zeta"));

    menuTitles(sideBar()->rowOfName(QStringLiteral("Zeta")));
    activity->deletePlaylist();
    activity->confirmDialog()->supprimer();
    EXPECT_EQ(sideBar()->playlists(), QStringList({"beta"}));
    EXPECT_EQ(sideBar()->selectedName(), QStringLiteral("Library"));
    EXPECT_EQ(activity->currentContentName(), QStringLiteral("Library"));
}

TEST_F(WindowTest, KeysOnTheSelectedPlaylistRenameAndDelete) {
    ASSERT_TRUE(sideBar()->selectRow(7));
    sideBar()->setFocus();
    QTest::keyClick(sideBar(), Qt::Key_F2);
    ASSERT_TRUE(activity->setNameDialog());
    // Renaming starts from the old name.
    EXPECT_EQ(activity->setNameDialog()->textField()->text(), QStringLiteral("beta"));
    activity->setNameDialog()->cancel();

    QTest::keyClick(sideBar(), Qt::Key_Delete);
    ASSERT_TRUE(activity->confirmDialog());
    EXPECT_EQ(activity->playlistAddDelete(), QStringLiteral("beta"));
    activity->confirmDialog()->supprimer();
    EXPECT_EQ(sideBar()->playlists(), QStringList({"Alpha"}));

    // Not on a source.
    ASSERT_TRUE(sideBar()->selectRow(2));
    QTest::keyClick(sideBar(), Qt::Key_Delete);
    EXPECT_FALSE(activity->dialogLocked());
}
