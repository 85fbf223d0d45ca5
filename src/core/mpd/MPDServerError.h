#pragma once

#include "core/mpd/MPDDelegates.h"

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
    // Reports a message; callable from any thread (other threads hand it to the GUI thread).
    void sendMessage(const QString &message);
    // Reports why the server could not be reached (GUI thread).
    void sendOutage(const QString &message);

    static MPDError errorFor(const QString &message);

  private:
    MPDServerError() = default;
    MPDErrorDelegate *m_delegate = nullptr;
};

} // namespace kelvane
