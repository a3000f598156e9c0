#pragma once

// Qt's own texts in Japanese: the print, page setup, print preview and file
// dialogs and the standard buttons come from Qt, not from us, and the reader
// speaks Japanese whatever the system's language.

// Loads Qt's Japanese "qtbase" catalogue from Qt's translations folder and
// installs it in the running application, once however often it is called.
// False when the catalogue is not installed (Debian's qt6-translations-l10n):
// Qt's dialogs then speak English.
bool InstallQtTranslations();
