#include "SiteReport.h"

#include "NetworkManager.h"
#include "SiteConfig.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrlQuery>

namespace SiteReport {

namespace {

std::function<QString()> &memberNameFunction()
{
    static std::function<QString()> source;
    return source;
}

QNetworkAccessManager *manager()
{
    static QPointer<QNetworkAccessManager> instance;
    if (!instance)
        instance = new QNetworkAccessManager(QCoreApplication::instance());
    return instance;
}

} // namespace

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
    const auto &source = memberNameFunction();
    return source ? source() : QString();
}

void setMemberNameSource(std::function<QString()> source)
{
    memberNameFunction() = std::move(source);
}

} // namespace SiteReport
