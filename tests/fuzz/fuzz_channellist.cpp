// The member's channel list: a refused document yields no channels; every
// channel kept has a name, web addresses only, a bounded nesting; and the
// channels read back the same after being written out again.
#include "FuzzSupport.h"
#include "gui/mainwindow/ChannelList.h"

#include <QUrl>
#include <QXmlStreamWriter>

FUZZ_QUIET_SETUP()

namespace {

bool isWebAddressOrEmpty(const QString &text)
{
    if (text.isEmpty())
        return true;
    const QUrl url(text);
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

int checkChannels(const QList<ChannelEntry> &channels, int depth)
{
    FUZZ_CHECK(channels.isEmpty() || depth < 9);
    int count = 0;
    for (const ChannelEntry &c : channels) {
        FUZZ_CHECK(!c.name.isEmpty());
        FUZZ_CHECK(c.name == c.name.trimmed());
        FUZZ_CHECK(isWebAddressOrEmpty(c.url));
        FUZZ_CHECK(isWebAddressOrEmpty(c.image));
        FUZZ_CHECK(isWebAddressOrEmpty(c.imageSelected));
        count += 1 + checkChannels(c.children, depth + 1);
    }
    return count;
}

void write(QXmlStreamWriter &xml, const QList<ChannelEntry> &channels)
{
    for (const ChannelEntry &c : channels) {
        xml.writeStartElement(QStringLiteral("channel"));
        xml.writeTextElement(QStringLiteral("name"), c.name);
        xml.writeTextElement(QStringLiteral("url"), c.url);
        xml.writeTextElement(QStringLiteral("image"), c.image);
        xml.writeTextElement(QStringLiteral("image_selected"), c.imageSelected);
        xml.writeTextElement(QStringLiteral("search"), c.search);
        xml.writeTextElement(QStringLiteral("search_disabled"), c.searchDisabled);
        xml.writeTextElement(QStringLiteral("search_text"), c.searchText);
        xml.writeTextElement(QStringLiteral("expand"),
                             c.expand ? QStringLiteral("true") : QStringLiteral("false"));
        write(xml, c.children);
        xml.writeEndElement();
    }
}

bool same(const QList<ChannelEntry> &a, const QList<ChannelEntry> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const ChannelEntry &x = a[i];
        const ChannelEntry &y = b[i];
        if (x.name != y.name || x.url != y.url || x.image != y.image ||
            x.imageSelected != y.imageSelected || x.search != y.search ||
            x.searchDisabled != y.searchDisabled || x.searchText != y.searchText ||
            x.expand != y.expand || !same(x.children, y.children))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error = QStringLiteral("stale");
    const QList<ChannelEntry> channels = ChannelList::parse(FuzzSupport::input(data, size), &error);
    if (!error.isEmpty()) {
        FUZZ_CHECK(error != QLatin1String("stale"));
        FUZZ_CHECK(channels.isEmpty());
        return 0;
    }
    checkChannels(channels, 0);
    FUZZ_CHECK(same(ChannelList::parse(FuzzSupport::input(data, size)), channels));

    QByteArray written;
    QXmlStreamWriter xml(&written);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("channels"));
    write(xml, channels);
    xml.writeEndDocument();
    QString rereadError;
    const QList<ChannelEntry> reread = ChannelList::parse(written, &rereadError);
    FUZZ_CHECK(rereadError.isEmpty() || written.size() > ChannelList::MaxBytes);
    FUZZ_CHECK(!rereadError.isEmpty() || same(reread, channels));
    return 0;
}
