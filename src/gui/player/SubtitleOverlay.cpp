#include "gui/player/SubtitleOverlay.h"

#include "media/SubtitleBounds.h"
#include "media/SubtitleParser.h"

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

// One line as a path, its left end at x = 0 and its baseline at y = 0; what
// lies beyond `width` is not drawn (a line of thousands of letters costs no
// more than one as wide as the picture).
QPainterPath linePath(const SubtitleLine &line, const QFont &base, qreal width)
{
    QPainterPath path;
    qreal x = 0;
    for (const SubtitleRun &run : line) {
        if (x > width)
            break;
        const QFont font = runFont(base, run);
        const QFontMetricsF metrics(font);
        QString text = run.text;
        // Cut by the average letter first, then measured.
        const qsizetype roughly =
            qsizetype((width - x) / qMax<qreal>(1, metrics.averageCharWidth())) + 8;
        if (text.size() > roughly)
            text.truncate(roughly);
        path.addText(QPointF(x, 0), font, text);
        x += metrics.horizontalAdvance(text);
    }
    return path;
}

// Lines drawn at most: a few cues of a few lines each.
constexpr int kMaxDrawnLines = SubtitleBounds::kMaxShown * SubtitleBounds::kMaxLinesPerCue;

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

void SubtitleOverlay::setCues(const SubtitleCues &cues)
{
    QList<SubtitleLine> lines;
    for (qsizetype i = 0; i < cues.size() && i < SubtitleBounds::kMaxShown; ++i)
        lines += SubtitleBounds::trimmed(cues.at(i), SubtitleBounds::kMaxLinesPerCue,
                                         SubtitleParser::kMaxLineLength)
                     .lines;
    setLines(lines);
}

void SubtitleOverlay::setLines(const QList<SubtitleLine> &lines)
{
    // However many cues are due at once, only the first lines are drawn.
    const QList<SubtitleLine> kept = lines.mid(0, kMaxDrawnLines);
    if (kept == m_lines && (kept.isEmpty() || isVisible()))
        return;
    m_lines = kept;
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
    // No more lines than the picture has room for.
    const qsizetype fit =
        qBound<qsizetype>(1, qsizetype((area.height() - 2 * outline) / lineHeight), m_lines.size());
    const QList<SubtitleLine> shown = m_lines.mid(0, fit);
    const int height = qCeil(lineHeight * shown.size() + 2 * outline);
    const int width = qMax(1, area.width());

    QImage image(QSize(width, height) * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    qreal baseline = outline + metrics.ascent();
    for (const SubtitleLine &line : shown) {
        QPainterPath path = linePath(line, font, width);
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
