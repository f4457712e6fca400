#pragma once

#include <QList>
#include <QString>

// The HTML of the pages a member meets: sign-in, members home, search,
// channels, the two add-on pages, and a few pages that exercise the
// program's link rules (new window, local file). Each returns the body; the
// site wraps it in its page frame.
class MemberPages
{
public:
    struct Clip
    {
        QString name;
        QString title;
        QString categories;
    };
    struct Channel
    {
        QString id;
        QString name;
        QString category; // empty: every clip
    };

    static QList<Channel> channels();

    static QString startPage(const QString &user, const QString &password);
    static QString membersHome(const QList<Clip> &clips);
    static QString search(const QList<Clip> &clips, const QString &terms, const QString &base);
    // Empty when there is no such channel.
    static QString channelPage(const QList<Clip> &clips, const QString &id);
    static QString addOnPage(const QString &path);
    static QString aboutPage();
    static QString localFilePage();

private:
    static QString clipList(const QList<Clip> &clips, const QString &base);
    MemberPages() = delete;
};
