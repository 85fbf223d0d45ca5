#pragma once

#include <QString>
#include <QStringList>

namespace kelvane::language {

// The interface is written in French (the source texts) and translated into English.
// Which one a run speaks: the "Langue" preference (key "language": "auto", "fr" or "en"),
// else the desktop's language when we have it, else French. Chosen once, before the first
// text is built: a change of preference takes effect at the next start.
inline constexpr char french[] = "fr";
inline constexpr char english[] = "en";

enum class Choice { Automatic, French, English };

// The first of the desktop's languages (most wanted first, as QLocale::uiLanguages()
// lists them) that we speak; French when none is ours.
QString fromDesktop(const QStringList &uiLanguages);
// The desktop's language as the environment gives it (LANGUAGE, LC_ALL, LC_MESSAGES, LANG,
// as gettext reads them): read through QLocale, not setlocale(), because the process keeps
// its C library's message locale at "C" for the protocol. The C locale keeps French.
QString desktopLanguage();

Choice storedChoice();
void storeChoice(Choice choice);
// The language of this run: the stored choice, or the desktop's when automatic.
QString chosen();

// Installs Kelvane's and Qt's own translations (standard buttons, key names, the command
// line's help) for one of our languages, replacing those installed before. Needs the
// application object. Returns false when Kelvane's translation could not be loaded.
bool install(const QString &language);
// install(chosen()): what both the window and the console do at start.
void installChosen();
// The language last installed (French before any).
QString installed();

} // namespace kelvane::language
