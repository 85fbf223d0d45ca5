#include "core/settings/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>
#include <memory>

namespace kelvane::language {

namespace {
const QString kLanguage = QStringLiteral("language");

// The same store as every other preference; read before anything else is built.
QSettings store() {
    return QSettings(QStringLiteral("Kelvane"), QStringLiteral("Kelvane"));
}

struct Installed {
    QString language = QString::fromLatin1(french);
    std::unique_ptr<QTranslator> own, qt;
};
Installed &current() {
    static Installed state;
    return state;
}

std::unique_ptr<QTranslator> load(const QString &name, const QString &directory) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, directory)) return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}
} // namespace

QString fromDesktop(const QStringList &uiLanguages) {
    for (const QString &tag : uiLanguages) {
        // "fr", "fr-CA", "fr_BE": the language is what comes before the region.
        const QString lang = tag.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
        if (lang.compare(QLatin1String(french), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(french);
        if (lang.compare(QLatin1String(english), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(english);
    }
    return QString::fromLatin1(french);
}

QString desktopLanguage() {
    // The messages' locale as the C library would take it, were it not kept at "C": the
    // C locale means "no language chosen", and then, as gettext does, LANGUAGE is ignored.
    QString messages = qEnvironmentVariable("LC_ALL");
    if (messages.isEmpty()) messages = qEnvironmentVariable("LC_MESSAGES");
    if (messages.isEmpty()) messages = qEnvironmentVariable("LANG");
    if (messages.isEmpty() || messages == QLatin1String("C") ||
        messages == QLatin1String("POSIX") || messages.startsWith(QLatin1String("C.")))
        return QString::fromLatin1(french);
    return fromDesktop(QLocale::system().uiLanguages());
}

Choice storedChoice() {
    const QString value = store().value(kLanguage).toString();
    if (value == QLatin1String(french)) return Choice::French;
    if (value == QLatin1String(english)) return Choice::English;
    // Unset, "auto", or anything a hand-edited file holds.
    return Choice::Automatic;
}

void storeChoice(Choice choice) {
    QSettings settings = store();
    switch (choice) {
    case Choice::Automatic:
        settings.setValue(kLanguage, QStringLiteral("auto"));
        break;
    case Choice::French:
        settings.setValue(kLanguage, QString::fromLatin1(french));
        break;
    case Choice::English:
        settings.setValue(kLanguage, QString::fromLatin1(english));
        break;
    }
    settings.sync();
}

QString chosen() {
    switch (storedChoice()) {
    case Choice::French:
        return QString::fromLatin1(french);
    case Choice::English:
        return QString::fromLatin1(english);
    case Choice::Automatic:
        break;
    }
    return desktopLanguage();
}

bool install(const QString &language) {
    Installed &state = current();
    for (auto *translator : {state.own.get(), state.qt.get()})
        if (translator) QCoreApplication::removeTranslator(translator);
    state.own.reset();
    state.qt.reset();
    state.language = language;
    // French is the source text: its file only carries the plural forms.
    state.own = load(QStringLiteral("kelvane_") + language, QStringLiteral(":/i18n"));
    // Qt's own: absent when the translations package is not installed, which leaves
    // Qt's English (key names, standard buttons) and everything else working.
    state.qt = load(QStringLiteral("qtbase_") + language,
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return state.own != nullptr;
}

void installChosen() {
    install(chosen());
}

QString installed() {
    return current().language;
}

} // namespace kelvane::language
