#pragma once

namespace kelvane::mpdc {

// libmpdclient writes and reads decimals with the C library (printf, strtod), and passes
// on the C library's error texts. A Qt application object sets the C library's locale
// from the environment, so under fr_FR a seek would go out as "60,000" (mpd refuses it),
// "elapsed: 12.345" would be read as 12, and a refused connection would read "Connexion
// refusée" where the error table expects the library's English text. Called right after
// the application object is made, before any thread starts: numbers and messages stay
// "C" for the whole process. Qt's own locale (QLocale::system()) reads the environment
// and is not affected, so the interface still shows French numbers.
void keepProtocolLocale();

} // namespace kelvane::mpdc
