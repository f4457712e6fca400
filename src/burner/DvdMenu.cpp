#include "burner/DvdMenu.h"
#include "core/Logging.h"
#include "media/SubtitleFile.h"

#include <QDir>
#include <QDomDocument>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int kButtonsPerColumn = 15;
constexpr int kLabelWidth = 500;
// Texts other than the clips' labels stay within their column.
constexpr int kColumnTextWidth = 290;
// 12 points at 96 dots per inch, whatever the screen says.
constexpr int kFontPixels = 16;
constexpr char kMenuFontFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// The button beside "Play All" (and beside the subtitle page's heading).
QRect topRight(int h)
{
    return QRect(QPoint(350, 50), QPoint(649, 49 + h));
}
} // namespace

DvdMenu::DvdMenu(bool ntsc, const QString &base) : m_base(base), m_ntsc(ntsc) {}

DvdMenu::DvdMenu(const QStringList &labels, bool ntsc, bool subtitlesButton)
    : DvdMenu(ntsc, QStringLiteral("menu"))
{
    m_labels = labels;
    const int h = QFontMetrics(font()).height();
    m_items.append({QRect(QPoint(50, 50), QPoint(349, 49 + h)), tr("Play All"), kLabelWidth});
    const QList<QRect> rects = columns(labels.size());
    for (qsizetype i = 0; i < labels.size(); ++i)
        m_items.append({rects.at(i), labels.at(i), kLabelWidth});
    if (subtitlesButton)
        m_items.append({topRight(h), tr("Subtitles"), kColumnTextWidth});
}

DvdMenu DvdMenu::subtitlePage(const QStringList &languages, bool ntsc)
{
    DvdMenu page(ntsc, QStringLiteral("subtitlemenu"));
    for (const QString &code : languages.mid(0, kMaxLanguages)) {
        const QString name = SubtitleFile{QString(), code}.languageName();
        page.m_labels << (name.isEmpty() ? tr("Unknown language") : name);
    }
    const int h = QFontMetrics(font()).height();
    page.m_items.append(
        {QRect(QPoint(50, 50), QPoint(349, 49 + h)), tr("Subtitles"), kColumnTextWidth, false});
    QStringList entries = page.m_labels;
    entries << tr("Off");
    const QList<QRect> rects = columns(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        page.m_items.append({rects.at(i), entries.at(i), kColumnTextWidth});
    page.m_items.append({topRight(h), tr("Back"), kColumnTextWidth});
    return page;
}

QList<QRect> DvdMenu::columns(qsizetype count)
{
    const int h = QFontMetrics(font()).height();
    QList<QRect> rects;
    int x = 50;
    int y = 50 + 2 * h;
    for (qsizetype i = 0; i < count; ++i) {
        rects.append(QRect(QPoint(x, y), QPoint(x + 299, y + h - 1)));
        if (i + 1 == kButtonsPerColumn) {
            x = 350;
            y = 50 + 2 * h;
        } else {
            y += h + 5;
        }
    }
    return rects;
}

QList<QRect> DvdMenu::buttons() const
{
    QList<QRect> rects;
    for (const Item &item : m_items) {
        if (item.button)
            rects << item.rect;
    }
    return rects;
}

QStringList DvdMenu::buttonTexts() const
{
    QStringList texts;
    for (const Item &item : m_items) {
        if (item.button)
            texts << item.text;
    }
    return texts;
}

QFont DvdMenu::font()
{
    // The menu is laid out in pixels, so it must not depend on the fonts the
    // machine has: a free font from the system's font package, loaded by path.
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kMenuFontFile));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            qCWarning(lcBurner) << "DvdMenu could not load the menu font" << kMenuFontFile;
            return QStringLiteral("DejaVu Sans");
        }
        return families.first();
    }();
    QFont font(family);
    font.setPixelSize(kFontPixels);
    font.setBold(true);
    font.setItalic(false);
    // Overlays may hold only pure colours.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    return font;
}

QSize DvdMenu::frameSize() const
{
    return m_ntsc ? QSize(720, 480) : QSize(720, 576);
}

bool DvdMenu::fitsFrame() const
{
    const QRect frame(QPoint(0, 0), frameSize());
    const QList<QRect> rects = buttons();
    return std::all_of(rects.cbegin(), rects.cend(),
                       [&frame](const QRect &button) { return frame.contains(button); });
}

void DvdMenu::drawText(QImage &image, const QColor &color, bool headings) const
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font());
    painter.setPen(color);
    const QFontMetrics metrics(font());
    for (const Item &item : m_items) {
        if (!item.button && !headings)
            continue;
        const QString text = metrics.elidedText(item.text, Qt::ElideRight, item.elideWidth);
        // A heading is underlined: it reads as a title, not as a button.
        QFont itemFont = font();
        itemFont.setUnderline(!item.button);
        painter.setFont(itemFont);
        painter.drawText(item.rect, Qt::AlignLeft | Qt::AlignTop, text);
    }
}

bool DvdMenu::writeImages(const QString &folder) const
{
    const QSize size = frameSize();
    QImage background(size, QImage::Format_RGB32);
    background.fill(Qt::white);
    {
        QPainter painter(&background);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QImage logo(QStringLiteral(":/DiscaveoMenuLogo.png"));
        if (!logo.isNull())
            painter.drawImage(QRect(420, size.height() - 300, 300, 300), logo);
    }
    QImage select(size, QImage::Format_ARGB32);
    select.fill(Qt::transparent);
    QImage highlight = select;

    drawText(background, Qt::black, true);
    drawText(select, Qt::blue, false);
    drawText(highlight, Qt::red, false);

    const QDir dir(folder);
    return background.save(dir.filePath(m_base + QStringLiteral("_background.jpg")), "JPEG") &&
           select.save(dir.filePath(m_base + QStringLiteral("_select.png")), "PNG") &&
           highlight.save(dir.filePath(m_base + QStringLiteral("_highlight.png")), "PNG");
}

QDomDocument DvdMenu::subpictureXml(const QString &folder) const
{
    const QDir dir(folder);
    QDomDocument doc;
    QDomElement root = doc.createElement(QStringLiteral("subpictures"));
    doc.appendChild(root);
    QDomElement stream = doc.createElement(QStringLiteral("stream"));
    root.appendChild(stream);
    QDomElement spu = doc.createElement(QStringLiteral("spu"));
    spu.setAttribute(QStringLiteral("start"), QStringLiteral("00:00:00.00"));
    spu.setAttribute(QStringLiteral("end"), QStringLiteral("00:00:00.00"));
    spu.setAttribute(QStringLiteral("select"),
                     dir.absoluteFilePath(m_base + QStringLiteral("_select.png")));
    spu.setAttribute(QStringLiteral("highlight"),
                     dir.absoluteFilePath(m_base + QStringLiteral("_highlight.png")));
    spu.setAttribute(QStringLiteral("force"), QStringLiteral("yes"));
    stream.appendChild(spu);
    for (const QRect &rect : buttons()) {
        QDomElement button = doc.createElement(QStringLiteral("button"));
        button.setAttribute(QStringLiteral("x0"), rect.left());
        button.setAttribute(QStringLiteral("y0"), rect.top());
        button.setAttribute(QStringLiteral("x1"), rect.right());
        button.setAttribute(QStringLiteral("y1"), rect.bottom());
        spu.appendChild(button);
    }
    return doc;
}
