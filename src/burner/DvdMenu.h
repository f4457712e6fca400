#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QList>
#include <QRect>
#include <QSize>
#include <QStringList>

class QDomDocument;

// A page of the disc menu, drawn as a background picture and two subpicture
// overlays (selected in blue, highlighted in red). The first page has a
// "Play All" button and one button per clip in up to two columns, and, on a
// disc with subtitles, a "Subtitles" button beside "Play All". The subtitle
// page lists the disc's subtitle languages and "Off" in the same columns,
// under its heading, with "Back" where the first page has "Subtitles".
class DvdMenu
{
    Q_DECLARE_TR_FUNCTIONS(DvdMenu)

public:
    // Languages the subtitle page has room for (with "Off", two full columns).
    static constexpr int kMaxLanguages = 29;

    DvdMenu(const QStringList &labels, bool ntsc, bool subtitlesButton = false);
    // The subtitle page for these streams (ISO 639-1 codes, empty for a file
    // that names no language); streams past kMaxLanguages are not listed.
    static DvdMenu subtitlePage(const QStringList &languages, bool ntsc);

    static QFont font();
    QSize frameSize() const;
    // Names this page's files in the temporary folder: "menu" for the first
    // page (menu_background.jpg, menu.xml, menu.mpg, ...).
    QString baseName() const { return m_base; }
    // Button rectangles (inclusive corners), in the order of the authoring
    // description: "Play All" first, "Subtitles" last; on the subtitle
    // page the languages, "Off", then "Back".
    QList<QRect> buttons() const;
    // What each button reads, in the same order.
    QStringList buttonTexts() const;
    // The clips' labels (first page) or the languages' names (subtitle page).
    QStringList labels() const { return m_labels; }
    // False when some button falls outside the picture (too many clips).
    bool fitsFrame() const;

    // Draws <base>_background.jpg, <base>_select.png and <base>_highlight.png
    // into `folder`; false when a picture cannot be saved.
    bool writeImages(const QString &folder) const;
    // The subpicture description for the overlays in `folder`.
    QDomDocument subpictureXml(const QString &folder) const;

private:
    struct Item
    {
        QRect rect;
        QString text;
        int elideWidth = 0;
        bool button = true; // a heading is drawn on the background only
    };

    DvdMenu(bool ntsc, const QString &base);
    // Rectangles for `count` entries in up to two columns below the top row.
    static QList<QRect> columns(qsizetype count);
    void drawText(class QImage &image, const QColor &color, bool headings) const;

    QString m_base;
    QStringList m_labels;
    bool m_ntsc;
    QList<Item> m_items;
};
