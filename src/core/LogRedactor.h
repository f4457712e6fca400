#pragma once

#include <QByteArray>
#include <QString>

// Makes a log fit to leave the machine: every address keeps its scheme,
// host and path but loses its user information, the values of its query and
// its fragment; cookie and authorization values and "key=value" secrets are
// masked, also where quoted (JSON, XML attributes); the home folder becomes
// "~" and the member's user name is masked, as written and percent-encoded.
class LogRedactor
{
public:
    static QString redact(const QString &text, const QString &homePath,
                          const QString &userName = QString());
    static QByteArray redact(const QByteArray &utf8, const QString &homePath,
                             const QString &userName = QString());

private:
    LogRedactor() = delete;
};
