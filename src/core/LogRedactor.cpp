#include "core/LogRedactor.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

const QString kMask = QStringLiteral("********");

// The query of an address with each value masked, keys kept.
QString maskedQuery(const QString &query)
{
    QStringList pairs = query.split(QLatin1Char('&'));
    for (QString &pair : pairs) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals >= 0)
            pair = pair.left(equals + 1) + kMask;
    }
    return pairs.join(QLatin1Char('&'));
}

QString redactAddress(const QString &address)
{
    static const QRegularExpression parts(QStringLiteral(
        R"(^([A-Za-z][A-Za-z0-9+.\-]*://)(?:[^/?#@\s]*@)?([^?#]*)(?:\?([^#]*))?(#.*)?$)"));
    const QRegularExpressionMatch match = parts.match(address);
    if (!match.hasMatch())
        return address;
    QString result = match.captured(1) + match.captured(2);
    if (match.hasCaptured(3))
        result += QLatin1Char('?') + maskedQuery(match.captured(3));
    return result;
}

QString redactAddresses(const QString &text)
{
    static const QRegularExpression address(
        QStringLiteral(R"([A-Za-z][A-Za-z0-9+.\-]*://[^\s"'<>()\[\]{}]+)"));
    QString result;
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = address.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += QStringView(text).mid(last, match.capturedStart() - last);
        result += redactAddress(match.captured());
        last = match.capturedEnd();
    }
    result += QStringView(text).mid(last);
    return result;
}

// Header lines and cookie dumps: everything after the name is secret.
QString redactHeaders(QString text)
{
    static const QRegularExpression header(
        QStringLiteral(
            R"(((?:Set-)?Cookie2?|(?:Proxy-)?Authorization|WWW-Authenticate)(["']?\s*[:=]\s*)[^\r\n]*)"),
        QRegularExpression::CaseInsensitiveOption);
    text.replace(header, QStringLiteral("\\1\\2") + kMask);
    static const QRegularExpression cookie(QStringLiteral(R"(QNetworkCookie\([^)\r\n]*\))"));
    text.replace(cookie, QStringLiteral("QNetworkCookie(") + kMask + QLatin1Char(')'));
    return text;
}

// "token=...", "password: ..." and the like outside addresses.
QString redactSecrets(QString text)
{
    static const QRegularExpression secret(
        QStringLiteral(
            R"(\b([\w\-]*(?:pass(?:word)?|pwd|token|secret|session(?:id)?|sig(?:nature)?)"
            R"(|sid|auth|credentials?|key))(\s*=\s*|:\s+)(?!\*{8})[^\s&;,"'<>]+)"),
        QRegularExpression::CaseInsensitiveOption);
    text.replace(secret, QStringLiteral("\\1\\2") + kMask);
    return text;
}

// Quoted values: JSON ("password": "x") and XML or HTML attributes (token="x").
QString redactQuotedSecrets(QString text)
{
    static const QRegularExpression quoted(
        QStringLiteral(
            R"((["']?)([\w\-]*(?:pass(?:word)?|pwd|token|secret|session(?:id)?|sig(?:nature)?)"
            R"(|sid|auth|credentials?|key|user(?:name)?|login))\1(\s*[:=]\s*)(["'])(?:\\.|(?!\4).)*\4)"),
        QRegularExpression::CaseInsensitiveOption);
    text.replace(quoted, QStringLiteral("\\1\\2\\1\\3\\4") + kMask + QStringLiteral("\\4"));
    return text;
}

// The percent-encoded forms of `value` in the log (its slashes kept or
// encoded, hex digits in either case), and, when asked, `value` as it stands.
QString replaceEverywhere(QString text, const QString &value, const QString &by, bool plainToo)
{
    const QStringList encoded{QString::fromLatin1(QUrl::toPercentEncoding(value, "/")),
                              QString::fromLatin1(QUrl::toPercentEncoding(value))};
    for (const QString &form : encoded) {
        if (form != value)
            text.replace(form, by, Qt::CaseInsensitive);
    }
    if (plainToo)
        text.replace(value, by, Qt::CaseInsensitive);
    return text;
}

QString replaceHome(QString text, const QString &homePath)
{
    QString home = homePath;
    while (home.size() > 1 && home.endsWith(QLatin1Char('/')))
        home.chop(1);
    if (home.size() <= 1)
        return text;
    // The home folder as such, not a longer name that starts the same way.
    const QRegularExpression path(QRegularExpression::escape(home) +
                                  QStringLiteral(R"((?=[/\s"'):,;\]]|$))"));
    text.replace(path, QStringLiteral("~"));
    return replaceEverywhere(text, home, QStringLiteral("~"), false);
}

} // namespace

QString LogRedactor::redact(const QString &text, const QString &homePath, const QString &userName)
{
    QString result = replaceHome(
        redactSecrets(redactQuotedSecrets(redactHeaders(redactAddresses(text)))), homePath);
    // A name of one letter would mask half the log, and say little.
    if (userName.trimmed().size() >= 2)
        result = replaceEverywhere(result, userName, kMask, true);
    return result;
}

QByteArray LogRedactor::redact(const QByteArray &utf8, const QString &homePath,
                               const QString &userName)
{
    return redact(QString::fromUtf8(utf8), homePath, userName).toUtf8();
}
