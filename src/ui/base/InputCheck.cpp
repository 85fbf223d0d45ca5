#include "ui/base/InputCheck.h"

#include <QCoreApplication>
#include <algorithm>

namespace kelvane::inputcheck {

bool hasControlCharacters(QStringView text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || u == 0x7f;
    });
}

QString refusedReason() {
    return QCoreApplication::translate("kelvane::inputcheck",
                                       "Les caractères de contrôle (tabulation, retour à la "
                                       "ligne…) ne sont pas acceptés.");
}

} // namespace kelvane::inputcheck
