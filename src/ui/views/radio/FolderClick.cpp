#include "ui/views/radio/FolderClick.h"

namespace kelvane {

QElapsedTimer &FolderClick::firstClick() {
    static QElapsedTimer timer;
    return timer;
}

bool FolderClick::click() {
    QElapsedTimer &first = firstClick();
    if (first.isValid() && first.elapsed() <= windowMs) {
        first.invalidate();
        return true;
    }
    first.start();
    return false;
}

void FolderClick::reset() {
    firstClick().invalidate();
}

} // namespace kelvane
