#pragma once

#include "core/mpd/MPDDelegates.h"

#include <QStringList>

namespace kelvane {

namespace mpdc {
class Connection;
}

// Turns a library error message into the French title and hint of one alert and hands
// it to the listener (the main window, or the console). GUI thread.
// Messages of failures found by the services themselves, given French texts here.
inline constexpr char playlistNotCreatedMessage[] = "Playlist not created";
inline constexpr char noSuchPlaylistMessage[] = "No such playlist";

class MPDServerError {
  public:
    static MPDServerError &sMPDServerError();

    MPDErrorDelegate *delegate() const { return m_delegate; }
    void setDelegate(MPDErrorDelegate *delegate) { m_delegate = delegate; }
    void release(MPDErrorDelegate *delegate);

    // Reports the error state of a connection.
    void send(const mpdc::Connection &connection);
    // Reports a message; callable from any thread (other threads hand it to the GUI
    // thread, or to the Held list of their job when one is open).
    void sendMessage(const QString &message);

    // While it lives, the messages sent on this thread are kept in it rather than posted:
    // a job hands them to the GUI thread together with its answer, so the alert and the
    // answer it goes with arrive in one piece.
    class Held {
      public:
        Held();
        ~Held();
        Held(const Held &) = delete;
        Held &operator=(const Held &) = delete;
        QStringList messages;

      private:
        Held *m_outer;
    };

    static MPDError errorFor(const QString &message);

  private:
    MPDServerError() = default;
    MPDErrorDelegate *m_delegate = nullptr;
};

} // namespace kelvane
