#pragma once

#include <QString>

// Qt's own texts (the buttons of message boxes, the file and print dialogs,
// the context menu of a text box) in Spanish whatever the desktop language,
// and Spanish (Mexico) as the default locale. Needs the application object.
namespace SpanishTranslation {

// Loads qtbase_es.qm from Qt's translations folder (Debian package
// qt6-translations-l10n). True when it loaded; the locale is set either way.
bool install();
bool install(const QString &translationsDir);

} // namespace SpanishTranslation
