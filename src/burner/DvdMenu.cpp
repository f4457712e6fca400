#include "burner/DvdMenu.h"
#include "core/Logging.h"

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
// 12 points at 96 dots per inch, whatever the screen says.
constexpr int kFontPixels = 16;
constexpr char kMenuFontFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
} // namespace

DvdMenu::DvdMenu(const QStringList &labels, bool ntsc) : m_labels(labels), m_ntsc(ntsc)
{
    const int h = QFontMetrics(font()).height();
    m_buttons.append(QRect(QPoint(50, 50), QPoint(349, 49 + h)));
    int x = 50;
    int y = 50 + 2 * h;
    int count = 0;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        m_buttons.append(QRect(QPoint(x, y), QPoint(x + 299, y + h - 1)));
        if (++count == kButtonsPerColumn) {
            x = 350;
            y = 50 + 2 * h;
        } else {
            y += h + 5;
        }
    }
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
    return std::all_of(m_buttons.cbegin(), m_buttons.cend(),
                       [&frame](const QRect &button) { return frame.contains(button); });
}

void DvdMenu::drawText(QImage &image, const QColor &color) const
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font());
    painter.setPen(color);
    const QFontMetrics metrics(font());
    painter.drawText(m_buttons.at(0), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Play All"));
    for (qsizetype i = 0; i < m_labels.size(); ++i) {
        const QString text = metrics.elidedText(m_labels.at(i), Qt::ElideRight, kLabelWidth);
        painter.drawText(m_buttons.at(i + 1), Qt::AlignLeft | Qt::AlignTop, text);
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

    drawText(background, Qt::black);
    drawText(select, Qt::blue);
    drawText(highlight, Qt::red);

    const QDir dir(folder);
    return background.save(dir.filePath(QStringLiteral("menu_background.jpg")), "JPEG") &&
           select.save(dir.filePath(QStringLiteral("menu_select.png")), "PNG") &&
           highlight.save(dir.filePath(QStringLiteral("menu_highlight.png")), "PNG");
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
                     dir.absoluteFilePath(QStringLiteral("menu_select.png")));
    spu.setAttribute(QStringLiteral("highlight"),
                     dir.absoluteFilePath(QStringLiteral("menu_highlight.png")));
    spu.setAttribute(QStringLiteral("force"), QStringLiteral("yes"));
    stream.appendChild(spu);
    for (const QRect &rect : m_buttons) {
        QDomElement button = doc.createElement(QStringLiteral("button"));
        button.setAttribute(QStringLiteral("x0"), rect.left());
        button.setAttribute(QStringLiteral("y0"), rect.top());
        button.setAttribute(QStringLiteral("x1"), rect.right());
        button.setAttribute(QStringLiteral("y1"), rect.bottom());
        spu.appendChild(button);
    }
    return doc;
}
