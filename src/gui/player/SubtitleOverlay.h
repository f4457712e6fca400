#pragma once

#include "media/SubtitleCue.h"

#include "gui/player/PictureOverlay.h"

#include <QImage>

// The subtitle text over the player's picture: white letters with a dark
// outline, readable on any picture, centred near the bottom and sized with
// the picture (in full screen too). Like the title overlay it is a small
// window of its own, since the picture is a native surface; outside a
// compositing desktop only the letters themselves are shown (a window mask).
class SubtitleOverlay : public PictureOverlay
{
    Q_OBJECT

public:
    // Follows `video`'s place on the screen.
    explicit SubtitleOverlay(QWidget *video);

    // Shows these lines (styled runs), or hides the overlay when empty. At
    // most a few cues' worth of lines are drawn, each cut at the picture's
    // width, and no more than the picture has room for.
    void setLines(const QList<SubtitleLine> &lines);
    // Shows the cues due now: the first SubtitleBounds::kMaxShown of them,
    // each with at most SubtitleBounds::kMaxLinesPerCue lines.
    void setCues(const SubtitleCues &cues);
    void clear() { setLines({}); }
    // The lines shown now, as plain text joined by line breaks.
    QString text() const;
    // The letter height in pixels for a picture of this height.
    static int letterHeight(int pictureHeight);

protected:
    void paintEvent(QPaintEvent *event) override;
    // Draws the lines for a picture at `area` and places the window there.
    void place(const QRect &area) override;
    void pictureShown() override;

private:
    QList<SubtitleLine> m_lines;
    QImage m_image;
};
