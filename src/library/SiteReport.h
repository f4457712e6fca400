#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QNetworkReply;

// Reports a media-information edit to the site.
namespace SiteReport {

using Form = QList<QPair<QString, QString>>;

// POSTs the form, URL-encoded, to "/zelta/postback.php" on the secure
// members' host. The caller takes the reply (deleted later by whoever
// handles its finished()).
QNetworkReply *postEdit(const Form &form);

// The signed-in member's user name (empty when nobody is signed in).
QString memberName();

} // namespace SiteReport
