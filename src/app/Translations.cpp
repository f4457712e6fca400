#include "app/Translations.h"

#include "core/Logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Translations {

void install(QCoreApplication *app)
{
    const QLocale locale;
    auto *own = new QTranslator(app);
    if (own->load(locale, QStringLiteral("corvana-zelta"), QStringLiteral("_"),
                  QStringLiteral(":/i18n")))
        app->installTranslator(own);
    else
        delete own;
    auto *qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app->installTranslator(qt);
    else
        delete qt;
    qCDebug(lcApp) << "Translations: interface language" << locale.name();
}

} // namespace Translations
