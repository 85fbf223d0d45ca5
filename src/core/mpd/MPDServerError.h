#pragma once

#include "core/mpd/MPDDelegates.h"
#include "mpdc/Records.h"

#include <QList>

namespace kelvane {

namespace mpdc {
class Connection;
struct Failure;
} // namespace mpdc

// Turns a failure into the French title and hint of one alert and hands it to the
// listener (the main window, or the console). Failures are told apart by their codes
// (the library's error, errno, the server's refusal code), never by a text the C library
// may have translated. GUI thread.
// Messages of failures found by the services themselves, given French texts here.
inline constexpr char playlistNotCreatedMessage[] = "Playlist not created";
inline constexpr char noSuchPlaylistMessage[] = "No such playlist";
inline constexpr char nothingToPlayMessage[] = "Nothing to play";
inline constexpr char notAStreamMessage[] = "Not a stream address";

class MPDServerError {
  public:
    static MPDServerError &sMPDServerError();

    MPDErrorDelegate *delegate() const { return m_delegate; }
    void setDelegate(MPDErrorDelegate *delegate) { m_delegate = delegate; }
    void release(MPDErrorDelegate *delegate);

    // Reports the error state of a connection.
    void send(const mpdc::Connection &connection);
    // Reports a failure; callable from any thread (other threads hand it to the GUI
    // thread, or to the Held list of their job when one is open).
    void report(const mpdc::Failure &failure);
    // Reports a failure the services found themselves (one of the messages above).
    void sendMessage(const QString &message);
    // Reports why the server could not be reached (GUI thread).
    void sendOutage(const mpdc::Failure &failure);

    // While it lives, the failures reported on this thread are kept in it rather than
    // posted: a job hands them to the GUI thread together with its answer, so the alert
    // and the answer it goes with arrive in one piece.
    class Held {
      public:
        Held();
        ~Held();
        Held(const Held &) = delete;
        Held &operator=(const Held &) = delete;
        QList<mpdc::Failure> failures;

      private:
        Held *m_outer;
    };

    static MPDError errorFor(const mpdc::Failure &failure);

  private:
    MPDServerError() = default;
    MPDErrorDelegate *m_delegate = nullptr;
};

} // namespace kelvane
