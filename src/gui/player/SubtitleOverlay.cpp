#include "gui/player/SubtitleOverlay.h"

#include <QBitmap>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace {

QFont runFont(const QFont &base, const SubtitleRun &run)
{
    QFont font = base;
    font.setItalic(run.italic);
    font.setBold(run.bold || base.bold());
    return font;
}

// One line as a path, its left end at x = 0 and its baseline at y = 0.
QPainterPath linePath(const SubtitleLine &line, const QFont &base)
{
    QPainterPath path;
    qreal x = 0;
    for (const SubtitleRun &run : line) {
        const QFont font = runFont(base, run);
        path.addText(QPointF(x, 0), font, run.text);
        x += QFontMetricsF(font).horizontalAdvance(run.text);
    }
    return path;
}

} // namespace

SubtitleOverlay::SubtitleOverlay(QWidget *video)
    : PictureOverlay(video, Qt::WindowTransparentForInput)
{
    setObjectName(QStringLiteral("SubtitleOverlay"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

int SubtitleOverlay::letterHeight(int pictureHeight)
{
    // About a sixteenth of the picture, never too small to read.
    return qMax(14, pictureHeight / 16);
}

void SubtitleOverlay::setLines(const QList<SubtitleLine> &lines)
{
    if (lines == m_lines && (lines.isEmpty() || isVisible()))
        return;
    m_lines = lines;
    setAccessibleName(text());
    if (m_lines.isEmpty() || !video() || !video()->isVisible()) {
        hide();
        return;
    }
    showOverPicture();
}

void SubtitleOverlay::pictureShown()
{
    if (!m_lines.isEmpty())
        showOverPicture();
}

QString SubtitleOverlay::text() const
{
    SubtitleCue cue;
    cue.lines = m_lines;
    return cue.plainText();
}

// Draws the lines into an image as wide as the picture and places the window
// at the picture's bottom.
void SubtitleOverlay::place(const QRect &area)
{
    if (m_lines.isEmpty())
        return;
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(letterHeight(area.height()));
    font.setWeight(QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const qreal outline = qMax<qreal>(2.0, font.pixelSize() / 7.0);
    const qreal lineHeight = metrics.lineSpacing();
    const int height = qCeil(lineHeight * m_lines.size() + 2 * outline);
    const int width = qMax(1, area.width());

    QImage image(QSize(width, height) * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    qreal baseline = outline + metrics.ascent();
    for (const SubtitleLine &line : std::as_const(m_lines)) {
        QPainterPath path = linePath(line, font);
        // Centred; a line wider than the picture keeps its start visible.
        const qreal x = qMax<qreal>(outline, (width - path.boundingRect().width()) / 2);
        path.translate(x, baseline);
        painter.strokePath(path, QPen(QColor(0, 0, 0, 230), 2 * outline, Qt::SolidLine,
                                      Qt::RoundCap, Qt::RoundJoin));
        painter.fillPath(path, Qt::white);
        baseline += lineHeight;
    }
    painter.end();
    m_image = image;

    // Without a compositor the window's background would be black: show
    // only the letters and their outline.
    setMask(QBitmap::fromImage(
        m_image.scaled(QSize(width, height)).createAlphaMask(Qt::ThresholdAlphaDither)));
    // In full screen the transport bar floats at six sevenths of the height:
    // the text stays above it.
    const bool fullScreen = video()->window()->isFullScreen();
    const int bottomMargin =
        fullScreen ? area.height() / 7 + area.height() / 40 : area.height() / 14;
    setGeometry(area.x(), area.y() + qMax(0, area.height() - bottomMargin - height), width,
                qMin(height, area.height()));
    update();
}

void SubtitleOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_image);
}
