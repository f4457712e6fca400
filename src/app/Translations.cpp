#include "app/Translations.h"

#include "core/Logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace {

const QString kCatalog = QStringLiteral("corvana-zelta");
const QString kCatalogFolder = QStringLiteral(":/i18n");

QPointer<QTranslator> s_own;
QPointer<QTranslator> s_qt;

void drop(QCoreApplication *app, QPointer<QTranslator> &translator)
{
    if (!translator)
        return;
    app->removeTranslator(translator);
    delete translator.data();
}

} // namespace

namespace Translations {

void install(QCoreApplication *app)
{
    drop(app, s_own);
    drop(app, s_qt);
    const QLocale locale;
    auto *own = new QTranslator(app);
    // A language without a catalog gets the English one, which holds the
    // English plural forms ("1 min", "2 mins").
    if (own->load(locale, kCatalog, QStringLiteral("_"), kCatalogFolder) ||
        own->load(kCatalog + QStringLiteral("_en"), kCatalogFolder)) {
        app->installTranslator(own);
        s_own = own;
    } else {
        delete own;
    }
    auto *qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app->installTranslator(qt);
        s_qt = qt;
    } else {
        delete qt;
    }
    qCDebug(lcApp) << "Translations: interface language" << locale.name();
}

} // namespace Translations
