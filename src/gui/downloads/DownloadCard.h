#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QList>
#include <QMetaType>
#include <QRect>
#include <QString>

// Where things sit on one card of the downloads page and what its buttons
// are called: the picture with the play button over it, title, description
// with performers and tags, status, pause/resume and cancel at the top right,
// the progress bar, and below it the transfer line or, for a failed
// download, why it failed with Retry (Sign In) and Remove. The painter, the
// mouse, the keyboard and screen readers all ask it, so they agree.
class DownloadCard
{
    Q_GADGET
    Q_DECLARE_TR_FUNCTIONS(DownloadCard)

public:
    // What a card's button does; the card shows one of Pause and Resume and
    // at most one of Retry and Sign In.
    enum Action
    {
        Play,
        Pause,
        Resume,
        Cancel,
        Retry,
        SignIn,
        Remove
    };
    Q_ENUM(Action)
    using Actions = QList<Action>;

    static constexpr int Height = 180;
    static constexpr int PictureWidth = 130;
    static constexpr int PictureHeight = 100;

    // The card filling `rect` in `font`, with the buttons `actions` (in the
    // order a screen reader and the arrow keys visit them).
    DownloadCard(const QRect &rect, const QFont &font, const Actions &actions);

    QRect frame() const { return m_rect.adjusted(3, 3, -3, -3); }
    QRect picture() const { return m_picture; }
    QRect title() const { return m_title; }
    QRect description() const { return m_description; }
    QRect status() const { return m_status; }
    QRect bar() const { return m_bar; }
    // The transfer line; a failed download's reason takes its place.
    QRect line() const { return m_line; }
    QRect reason() const { return m_reason; }
    const Actions &actions() const { return m_actions; }
    // Empty for an action the card does not offer.
    QRect buttonRect(Action action) const;
    // The action of the button at `point`, or -1.
    int actionAt(const QPoint &point) const;
    // Drawn as a framed button with its name (Retry, Sign In, Remove), not
    // as a picture.
    static bool isTextButton(Action action);

    // The button's name, for its text, tooltip and screen readers.
    static QString actionName(Action action);
    // What Enter and Space do when no button was picked: mend a failed
    // download, else pause or resume it.
    static Action defaultAction(const Actions &actions);
    static QFont titleFont(const QFont &font);
    static QFont smallFont(const QFont &font);
    // A card's height in `font` (180 pixels unless the font needs more).
    static int height(const QFont &font);
    // The narrowest card that still shows its buttons.
    static int minimumWidth(const QFont &font);

private:
    static int textButtonWidth(const QFont &font, Action action);
    static int textButtonHeight(const QFont &font);

    QRect m_rect;
    QRect m_picture;
    QRect m_title;
    QRect m_description;
    QRect m_status;
    QRect m_bar;
    QRect m_line;
    QRect m_reason;
    Actions m_actions;
    QList<QRect> m_buttons; // beside m_actions
};

Q_DECLARE_METATYPE(DownloadCard::Actions)
