#pragma once

#include <QString>

namespace kelvane {

// The title and the French hint of one error alert.
struct MPDError {
    QString error;
    QString errorDescription;
};

} // namespace kelvane
