#pragma once

namespace zelan::app {

// Puts the program's standard dialogs and number formats into the interface language: for
// kRussian (1102) Qt's own Russian translations (qtbase_ru from Qt's translation folder) and
// the Russian default locale; for any other code the translations are removed again and the
// default locale is the user's. Returns false when Qt's Russian translations cannot be loaded;
// the locale is set all the same and the standard dialogs stay untranslated.
bool applyInterfaceLocale(int languageCode);

} // namespace zelan::app
