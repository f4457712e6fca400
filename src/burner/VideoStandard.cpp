#include "burner/VideoStandard.h"

#include <QSettings>

#include <algorithm>
#include <array>

namespace {

const QString kSettingsKey = QStringLiteral("BurnerVideoStandard");

// Countries whose televisions run at 60 Hz and whose disc players expect NTSC
// (Brazil's PAL-M broadcasts included: its DVDs are NTSC). Everywhere else a
// DVD is PAL, SECAM countries too.
constexpr std::array kNtscTerritories = {
    QLocale::AnyTerritory,
    QLocale::UnitedStates,
    QLocale::Canada,
    QLocale::Mexico,
    QLocale::Japan,
    QLocale::SouthKorea,
    QLocale::Taiwan,
    QLocale::Philippines,
    QLocale::Myanmar,
    QLocale::Brazil,
    QLocale::Colombia,
    QLocale::Venezuela,
    QLocale::Ecuador,
    QLocale::Peru,
    QLocale::Bolivia,
    QLocale::Chile,
    QLocale::Suriname,
    QLocale::Guatemala,
    QLocale::Honduras,
    QLocale::ElSalvador,
    QLocale::Nicaragua,
    QLocale::CostaRica,
    QLocale::Panama,
    QLocale::Belize,
    QLocale::Cuba,
    QLocale::DominicanRepublic,
    QLocale::Haiti,
    QLocale::PuertoRico,
    QLocale::Jamaica,
    QLocale::Bahamas,
    QLocale::Barbados,
    QLocale::TrinidadAndTobago,
    QLocale::Aruba,
    QLocale::CuraSao,
    QLocale::Guam,
    QLocale::AmericanSamoa,
    QLocale::Micronesia,
    QLocale::MarshallIslands,
    QLocale::Palau,
    QLocale::NorthernMarianaIslands,
    QLocale::UnitedStatesVirginIslands,
    QLocale::UnitedStatesOutlyingIslands,
};

} // namespace

namespace VideoStandard {

bool isNtscTerritory(QLocale::Territory territory)
{
    return std::find(kNtscTerritories.begin(), kNtscTerritories.end(), territory) !=
           kNtscTerritories.end();
}

bool preferNtsc(const QLocale &locale)
{
    const QString remembered = QSettings().value(kSettingsKey).toString();
    if (remembered == QLatin1String("NTSC"))
        return true;
    if (remembered == QLatin1String("PAL"))
        return false;
    return isNtscTerritory(locale.territory());
}

void remember(bool ntsc)
{
    QSettings().setValue(kSettingsKey, ntsc ? QStringLiteral("NTSC") : QStringLiteral("PAL"));
}

} // namespace VideoStandard
