#include "spanish_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace SpanishTranslation {

bool install()
{
    return install(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

bool install(const QString &translationsDir)
{
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Mexico));
    // One translator per application object, owned by it.
    static QPointer<QTranslator> installed;
    if (installed)
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_es"), translationsDir)
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

} // namespace SpanishTranslation
