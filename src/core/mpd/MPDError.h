#pragma once

#include <QString>

namespace kelvane {

// The title and the French hint of one error alert.
struct MPDError {
    QString error;
    QString errorDescription;
    // The server could not be reached (a lost connection, a failed attempt): the alert
    // has nothing left to say once the link is back.
    bool outage = false;
};

} // namespace kelvane
