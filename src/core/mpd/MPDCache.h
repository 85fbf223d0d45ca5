#pragma once

#include "core/model/Album.h"
#include "core/model/Song.h"
#include "core/model/SongIndex.h"
#include "core/mpd/MPDDelegates.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>
#include <type_traits>

namespace kelvane {

// Compares each poll's snapshot with what was last reported and calls the listeners
// only for what changed; also carries a few values views hand to one another. GUI
// thread only.
class MPDCache {
  public:
    static MPDCache &sMPDCache();

    void setStatus(const std::optional<MPDStatus> &status);
    const std::optional<MPDStatus> &getStatus() const { return m_status; }
    qint32 getPosition() const { return m_currentPosition; }
    // The next snapshot fires a track change and a state change even if nothing changed.
    void resetStatus();
    // The next snapshot reports the playback modes even if they did not change (a new
    // connection announces them).
    void resetOptions() { m_options.reset(); }
    // A new connection has no snapshot until its first read: the last one belonged to
    // the session before. The tracked values stay, so an unchanged server fires nothing.
    void forgetStatus() { m_status.reset(); }

    void dbUpdated();
    void albumUpdateTrigger(const QString &text);
    void streamUpdateTrigger();
    void radioLinkTrigger(const Radio &radio);

    // The catalogue as last read: the album list, and the index of its songs that the
    // song search reads (absent when the reader built none). They are set together, so
    // the songs never outlive the list they were read with.
    void setCurrentAlbumList(std::optional<QList<Album>> albums,
                             std::shared_ptr<const SongIndex> songs = {}) {
        m_albumsList = std::move(albums);
        m_songIndex = m_albumsList ? std::move(songs) : nullptr;
        ++m_albumsGeneration;
    }
    const std::optional<QList<Album>> &getCurrentAlbumList() const { return m_albumsList; }
    const std::shared_ptr<const SongIndex> &getCurrentSongIndex() const { return m_songIndex; }
    // Counts the lists set: a read started before the last one is stale.
    quint64 albumListGeneration() const { return m_albumsGeneration; }
    void setAlbumContentArray(std::optional<QList<Song>> songs) {
        m_albumContent = std::move(songs);
    }
    const std::optional<QList<Song>> &getAlbumContentArray() const { return m_albumContent; }
    void setMainWindow(QObject *window) { m_mainWindow = window; }
    QObject *getMainWidow() const { return m_mainWindow; }

    MPDAppDelegate *delegate() const { return m_delegate; }
    void setDelegate(MPDAppDelegate *d) { m_delegate = d; }
    MPDAlbumDelegate *delegateAlbum() const { return m_delegateAlbum; }
    void setDelegateAlbum(MPDAlbumDelegate *d) { m_delegateAlbum = d; }
    MPDQueueDelegate *delegateQueue() const { return m_delegateQueue; }
    void setDelegateQueue(MPDQueueDelegate *d) { m_delegateQueue = d; }
    MPDStreamDelegate *delegateStream() const { return m_delegateStream; }
    void setDelegateStream(MPDStreamDelegate *d) { m_delegateStream = d; }
    MPDRadioDelegate *delegateRadio() const { return m_delegateRadio; }
    void setDelegateRadio(MPDRadioDelegate *d) { m_delegateRadio = d; }

    // A dying listener leaves whichever slots still hold it: call release(this) from
    // its destructor.
    template <class Listener> void release(Listener *listener) {
        if constexpr (std::is_base_of_v<MPDAppDelegate, Listener>) clearIf(m_delegate, listener);
        if constexpr (std::is_base_of_v<MPDAlbumDelegate, Listener>)
            clearIf(m_delegateAlbum, listener);
        if constexpr (std::is_base_of_v<MPDQueueDelegate, Listener>)
            clearIf(m_delegateQueue, listener);
        if constexpr (std::is_base_of_v<MPDStreamDelegate, Listener>)
            clearIf(m_delegateStream, listener);
        if constexpr (std::is_base_of_v<MPDRadioDelegate, Listener>)
            clearIf(m_delegateRadio, listener);
    }

    // The track key: album, title and queue position, as one text.
    static QString trackKey(const MPDStatus &status);

  private:
    MPDCache() = default;
    template <class Slot, class Listener> static void clearIf(Slot *&slot, Listener *listener) {
        if (slot == static_cast<Slot *>(listener)) slot = nullptr;
    }

    std::optional<MPDStatus> m_status;
    std::optional<QString> m_actualTrack;
    qint32 m_currentPosition = 0;
    qint32 m_currentVolume = 0;
    qint32 m_statePlayer = -1;
    std::optional<PlayerOptions> m_options;
    bool m_progressBarloop = false;
    std::optional<QList<Album>> m_albumsList;
    std::shared_ptr<const SongIndex> m_songIndex;
    quint64 m_albumsGeneration = 0;
    std::optional<QList<Song>> m_albumContent;
    QPointer<QObject> m_mainWindow;
    MPDAppDelegate *m_delegate = nullptr;
    MPDAlbumDelegate *m_delegateAlbum = nullptr;
    MPDQueueDelegate *m_delegateQueue = nullptr;
    MPDStreamDelegate *m_delegateStream = nullptr;
    MPDRadioDelegate *m_delegateRadio = nullptr;
};

} // namespace kelvane
