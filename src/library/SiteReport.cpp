#include "library/SiteReport.h"

#include "web/NetworkManager.h"
#include "web/SignInState.h"
#include "core/SiteConfig.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

namespace SiteReport {

QNetworkReply *postEdit(const Form &form)
{
    QUrlQuery query;
    for (const auto &item : form)
        query.addQueryItem(QString::fromLatin1(QUrl::toPercentEncoding(item.first)),
                           QString::fromLatin1(QUrl::toPercentEncoding(item.second)));
    QNetworkRequest request(
        SiteConfig::resolve(SiteConfig::secureMembersUrl(), QStringLiteral("/zelta/postback.php")));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    // The shared manager: the member's cookies, credentials and certificate choices apply.
    return NetworkManager::instance()->post(request, query.query(QUrl::FullyEncoded).toUtf8());
}

QString memberName()
{
    return SignInState::userName();
}

} // namespace SiteReport
