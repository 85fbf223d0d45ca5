// The three song tables share one base: titles, right-aligned numbers, the time text and
// its colours, and the state icon in place of the playing row's track number.
#include "core/mpd/MPDStatus.h"
#include "ui/views/library/AlbumContentModel.h"
#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/PlaylistModel.h"
#include "ui/views/library/QueueModel.h"

#include <QColor>
#include <QIcon>
#include <gtest/gtest.h>

using namespace kelvane;

namespace {

Song song(const QString &title, qint32 track, qint32 seconds) {
    Song s;
    s.setTitle(title);
    s.setArtist(QStringLiteral("Artist"));
    s.setAlbum(QStringLiteral("Album"));
    s.setTrack(track);
    s.setDiskNb(2);
    s.setDuration(seconds);
    s.setFullPath(QStringLiteral("A/") + title + QStringLiteral(".flac"));
    return s;
}

QStringList headers(const QAbstractItemModel &model) {
    QStringList titles;
    for (int c = 0; c < model.columnCount(); ++c)
        titles << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    return titles;
}

bool rightAligned(const QAbstractItemModel &model, int column) {
    return model.index(0, column).data(Qt::TextAlignmentRole).toInt() ==
           int(Qt::AlignRight | Qt::AlignVCenter);
}

MPDStatus playing(const QString &title) {
    MPDStatus status;
    status.state = 2;
    status.title = title;
    status.artist = QStringLiteral("Artist");
    status.album = QStringLiteral("Album");
    status.path = QStringLiteral("A/") + title + QStringLiteral(".flac");
    return status;
}

} // namespace

TEST(SongTableModels, TitlesAndAlignmentOfEachTable) {
    QueueModel queue;
    queue.setQueue({song(QStringLiteral("One"), 1, 65)}, {});
    EXPECT_EQ(headers(queue), (QStringList{"N°", "Artiste", "Album", "Titre", "Durée", "Année"}));
    PlaylistModel playlist;
    playlist.setSongs({song(QStringLiteral("One"), 1, 65)});
    EXPECT_EQ(headers(playlist),
              (QStringList{"N°", "Artiste", "Album", "Titre", "Compositeur", "Durée", ""}));
    AlbumContentModel album;
    album.setSongs({song(QStringLiteral("One"), 1, 65)});
    EXPECT_EQ(headers(album), (QStringList{"N°", "Titre", "Durée"}));
    EXPECT_TRUE(queue.headerData(0, Qt::Vertical, Qt::DisplayRole).isNull());
    EXPECT_TRUE(queue.headerData(6, Qt::Horizontal, Qt::DisplayRole).isNull());

    for (QAbstractItemModel *model :
         std::initializer_list<QAbstractItemModel *>{&queue, &playlist, &album}) {
        for (int c = 0; c < model->columnCount(); ++c) {
            const QString title = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            const bool number = title == QStringLiteral("N°") || title == QStringLiteral("Durée");
            EXPECT_EQ(rightAligned(*model, c), number) << title.toStdString();
        }
    }
    // Every table writes a time the same way; the playlist alone shows no disc.
    EXPECT_EQ(queue.index(0, QueueModel::Time).data().toString(), QStringLiteral(" 1:05"));
    EXPECT_EQ(playlist.index(0, PlaylistModel::Time).data().toString(), QStringLiteral(" 1:05"));
    EXPECT_EQ(album.index(0, AlbumContentModel::Time).data().toString(), QStringLiteral(" 1:05"));
    EXPECT_EQ(playlist.index(0, PlaylistModel::TrackNumber).data().toString(), QStringLiteral("1"));
    EXPECT_EQ(album.index(0, AlbumContentModel::TrackNumber).data().toString(),
              QStringLiteral("2 \u2219 1"));
    EXPECT_FALSE(queue.index(1, 0).data().isValid());
}

TEST(SongTableModels, PlayingRowShowsTheIconAndTheOrangeTimeInEveryMarkingTable) {
    const QList<Song> songs{song(QStringLiteral("One"), 1, 65), song(QStringLiteral("Two"), 2, 70)};
    QueueModel queue;
    queue.setQueue(songs, {});
    queue.setState(2);
    queue.setStatus(playing(QStringLiteral("Two")));
    AlbumContentModel album;
    album.setSongs(songs);
    album.setStatus(playing(QStringLiteral("Two")));
    const QColor orange = librarystyle::playingColour();
    for (QAbstractItemModel *model : std::initializer_list<QAbstractItemModel *>{&queue, &album}) {
        const int time = model == &queue ? int(QueueModel::Time) : int(AlbumContentModel::Time);
        EXPECT_EQ(model->index(1, 0).data().toString(), QString());
        EXPECT_FALSE(model->index(1, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_EQ(model->index(1, time).data(Qt::ForegroundRole).value<QColor>(), orange);
        EXPECT_FALSE(model->index(0, 0).data(Qt::DecorationRole).isValid());
        EXPECT_NE(model->index(0, time).data(Qt::ForegroundRole).value<QColor>(), orange);
    }
    // The queue keeps the number while stopped, but its time stays marked until the next
    // snapshot says otherwise.
    queue.setState(1);
    EXPECT_EQ(queue.index(1, QueueModel::TrackNumber).data().toString(),
              QStringLiteral("2 \u2219 2"));
    PlaylistModel playlist;
    playlist.setSongs(songs);
    EXPECT_NE(playlist.index(1, PlaylistModel::Time).data(Qt::ForegroundRole).value<QColor>(),
              orange);
}
