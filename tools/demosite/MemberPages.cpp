#include "MemberPages.h"

namespace {

// Calls the program's bridge when the page is shown inside CorvanaZELTA.
const char *const kBridgeHelper =
    "<script>function bridge(name) { var args = Array.prototype.slice.call(arguments, 1);"
    " if (window.zelta && zelta[name]) { zelta[name].apply(null, args); return true; }"
    " return false; }</script>";

QString signOutForm()
{
    return QStringLiteral(
        "<form id=\"signout\" onsubmit=\"bridge('logout');"
        " location.href = '/start/index.php'; return false;\">"
        "<button type=\"submit\">Sign out</button></form>");
}

} // namespace

QList<MemberPages::Channel> MemberPages::channels()
{
    return {{QStringLiteral("featured"), QStringLiteral("Featured"), QString()},
            {QStringLiteral("nature"), QStringLiteral("Nature"), QStringLiteral("Nature")}};
}

QString MemberPages::startPage(const QString &user, const QString &password)
{
    return QStringLiteral(
               "<form id=\"signin\" onsubmit=\"return signIn();\">"
               "<p><label>User name <input id=\"user\" autofocus></label></p>"
               "<p><label>Password <input id=\"password\" type=\"password\"></label></p>"
               "<p><button id=\"signin-button\" type=\"submit\">Sign in</button></p></form>"
               "<p id=\"nobridge\" hidden>Open this page in CorvanaZELTA to sign in.</p>"
               "<p><small>Demo account: user <b>%1</b>, password <b>%2</b>.</small></p>%3"
               "<script>function signIn() {"
               " var u = document.getElementById('user').value;"
               " var p = document.getElementById('password').value;"
               " if (!bridge('login', u, p)) {"
               "   document.getElementById('nobridge').hidden = false; return false; }"
               " setTimeout(function () { location.href = '/members/index.php'; }, 200);"
               " return false; }</script>")
        .arg(user.toHtmlEscaped(), password.toHtmlEscaped(), QString::fromLatin1(kBridgeHelper));
}

QString MemberPages::clipList(const QList<Clip> &clips, const QString &base)
{
    QString list;
    for (const Clip &clip : clips) {
        list += QStringLiteral("<li>%1 &mdash; <a class=\"descriptor\" id=\"get-%2\" "
                               "href=\"%3/members/videos/%2.corvana\">download</a> &middot; "
                               "<a class=\"direct\" href=\"%3/media/%2.mp4\">direct file</a></li>")
                    .arg(clip.title.toHtmlEscaped(), clip.name, base);
    }
    return list.isEmpty() ? QStringLiteral("<li>No videos found.</li>") : list;
}

QString MemberPages::membersHome(const QList<Clip> &clips)
{
    QString channelLinks;
    for (const Channel &channel : channels()) {
        channelLinks += QStringLiteral("<li><a href=\"/members/channel.php?c=%1\" "
                                       "onclick=\"return !bridge('tabFocus', '%2');\">"
                                       "<img src=\"/images/channel-%1.png\" alt=\"\" width=\"24\" "
                                       "height=\"24\"> %2</a></li>")
                            .arg(channel.id, channel.name);
    }
    return QStringLiteral(
               "%1<p>Welcome back.</p>"
               "<form id=\"search\" action=\"/members/search.php\">"
               "<input name=\"q\" placeholder=\"Search videos\"> <button>Search</button></form>"
               "<h2>New videos</h2><ul id=\"videos\">%2</ul>"
               "<p><a id=\"get-all\" href=\"/members/all.corvana\">Download everything</a></p>"
               "<h2>Channels</h2><ul id=\"channels\">%3</ul>"
               "<h2>Add-ons</h2><ul>"
               "<li><a id=\"addon-discaveo\" href=\"/members/plugins/discaveo/\" "
               "onclick=\"return !bridge('tabFocus', 'discaveo');\">Discaveo disc burner</a></li>"
               "<li><a id=\"addon-lumiqo\" href=\"/members/plugins/lumiqo/\" "
               "onclick=\"return !bridge('tabFocus', 'lumiqotv');\">LumiqoTV</a></li></ul>"
               "<h2>More</h2><ul>"
               "<li><a id=\"new-window\" href=\"/members/about.php\" target=\"_blank\">"
               "About Corvana (opens a new window)</a></li>"
               "<li><a id=\"local-file\" href=\"/members/local.php\">A page that opens a local "
               "file</a></li>"
               "<li><a id=\"browser\" href=\"#\" onclick=\"bridge('launchBrowser', "
               "location.origin + '/members/about.php'); return false;\">About Corvana in your "
               "browser</a></li></ul>%4")
        .arg(QString::fromLatin1(kBridgeHelper), clipList(clips, QString()), channelLinks,
             signOutForm());
}

QString MemberPages::search(const QList<Clip> &clips, const QString &terms, const QString &base)
{
    QList<Clip> found;
    for (const Clip &clip : clips) {
        if (terms.isEmpty() || clip.title.contains(terms, Qt::CaseInsensitive) ||
            clip.categories.contains(terms, Qt::CaseInsensitive))
            found << clip;
    }
    return QStringLiteral("<form action=\"/members/search.php\"><input name=\"q\" value=\"%1\">"
                          " <button>Search</button></form><ul id=\"results\">%2</ul>")
        .arg(terms.toHtmlEscaped(), clipList(found, base));
}

QString MemberPages::channelPage(const QList<Clip> &clips, const QString &id)
{
    for (const Channel &channel : channels()) {
        if (channel.id != id)
            continue;
        QList<Clip> shown;
        for (const Clip &clip : clips) {
            if (channel.category.isEmpty() ||
                clip.categories.contains(channel.category, Qt::CaseInsensitive))
                shown << clip;
        }
        return QStringLiteral("<p><img src=\"/images/channel-%1-selected.png\" alt=\"\" "
                              "width=\"24\" height=\"24\"> The %2 channel.</p><ul>%3</ul>")
            .arg(channel.id, channel.name.toHtmlEscaped(), clipList(shown, QString()));
    }
    return {};
}

QString MemberPages::addOnPage(const QString &path)
{
    const bool burner = path.startsWith(QLatin1String("/members/plugins/discaveo"));
    const bool tv = path.startsWith(QLatin1String("/members/plugins/lumiqo"));
    if (!burner && !tv)
        return {};
    const QString text =
        burner ? QStringLiteral("<p id=\"addon\">Discaveo burns your library to DVD and VCD "
                                "discs, with a menu.</p>")
               : QStringLiteral("<p id=\"addon\">LumiqoTV streams your library to the TVs and "
                                "game consoles at home.</p>");
    return text + QString::fromLatin1(kBridgeHelper) +
           QStringLiteral("<p><a href=\"/members/index.php\" "
                          "onclick=\"return !bridge('tabFocus', 'corvana');\">Back to the "
                          "members home</a></p>");
}

QString MemberPages::aboutPage()
{
    return QStringLiteral("<p id=\"about\">Corvana brings new videos every week.</p>");
}

QString MemberPages::localFilePage()
{
    return QStringLiteral("<p id=\"local\">This page tries to open a file on your disk.</p>"
                          "<script>setTimeout(function () {"
                          " location.href = 'file:///etc/hostname';"
                          " setTimeout(function () { document.title = 'Still here'; }, 300);"
                          " }, 50);</script>");
}
