#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QSize>
#include <QStringList>

class QDomDocument;

// The disc menu: a "Play All" button and one button per clip in up to two
// columns, drawn as a background picture and two subpicture overlays
// (selected in blue, highlighted in red).
class DvdMenu
{
public:
    DvdMenu(const QStringList &labels, bool ntsc);

    static QFont font();
    QSize frameSize() const;
    // Button rectangles (inclusive corners), "Play All" first.
    QList<QRect> buttons() const { return m_buttons; }
    QStringList labels() const { return m_labels; }
    // False when some button falls outside the picture (too many clips).
    bool fitsFrame() const;

    // Draws menu_background.jpg, menu_select.png and menu_highlight.png into
    // `folder`; false when a picture cannot be saved.
    bool writeImages(const QString &folder) const;
    // The subpicture description for the overlays in `folder`.
    QDomDocument subpictureXml(const QString &folder) const;

private:
    void drawText(class QImage &image, const QColor &color) const;

    QStringList m_labels;
    bool m_ntsc;
    QList<QRect> m_buttons;
};
