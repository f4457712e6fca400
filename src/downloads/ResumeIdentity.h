#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QNetworkReply;

// What names the resource a partial file holds the start of: its whole size
// and the validators the server gave (ETag, Last-Modified). Kept with the
// partial file (as extended attributes, where the file system has them), so
// that a resume, even in a later run, only appends an answer of the same
// resource.
struct ResumeIdentity
{
    qint64 total = -1; // -1 when unknown
    QByteArray etag;
    QByteArray lastModified;

    bool isEmpty() const { return total < 0 && etag.isEmpty() && lastModified.isEmpty(); }

    // The identity an answer gives: the total of a 206's Content-Range or a
    // 200's length, and its validators.
    static ResumeIdentity fromReply(const QNetworkReply *reply, int status);
    // Empty when the file has none (or the file system keeps no attributes).
    static ResumeIdentity read(const QString &path);
    // Best effort: false when the file system keeps no attributes.
    bool write(const QString &path) const;
    static void clear(const QString &path);

    // The "If-Range" value of a resume: a strong ETag, else the date; empty
    // when neither is known.
    QByteArray ifRange() const;
    // Why an answer (`served`) does not continue the file this identity was
    // stored for; empty when it may. The totals must agree where this one
    // is known; a validator must agree where both sides have it.
    QString mismatch(const ResumeIdentity &served) const;
};
