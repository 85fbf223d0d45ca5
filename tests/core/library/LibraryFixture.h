#pragma once

// Points the core's one connection at a private test server, and records the alerts.
#include "core/mpd/MPDServerError.h"
#include "core/mpd/MPDSocket.h"
#include "core/settings/Setting.h"
#include "support/MpdServer.h"
#include "support/Wait.h"

#include <QList>
#include <gtest/gtest.h>
#include <ostream>

// Readable failures.
inline void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace kelvane::test {

class AlertRecorder : public MPDErrorDelegate {
  public:
    AlertRecorder() { MPDServerError::sMPDServerError().setDelegate(this); }
    ~AlertRecorder() override { MPDServerError::sMPDServerError().release(this); }
    void onError(const MPDError &error) override { alerts << error; }
    QList<MPDError> alerts;
};

inline void connectCoreTo(const MpdServer &server) {
    Setting::sSetting().setSessionServer(server.host(), server.port());
    MPDSocket::sMPDSocket().connect();
}

inline void disconnectCore() {
    MPDSocket::sMPDSocket().disconnect();
}

} // namespace kelvane::test
