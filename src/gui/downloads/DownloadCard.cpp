#include "gui/downloads/DownloadCard.h"

#include <QFontMetrics>

namespace {

constexpr int MarginX = 14;
constexpr int MarginY = 12;
constexpr int Gap = 12;
constexpr int PlaySize = 42;
constexpr int PauseSize = 30;
constexpr int CancelSize = 28;
constexpr int BarHeight = 14;
constexpr int BarGap = 8;
constexpr int LineGap = 6;
// Room a text button keeps around its text.
constexpr int TextButtonPadding = 26;
constexpr int TextButtonGap = 6;
// The least room the texts beside the picture keep.
constexpr int LeastTextWidth = 60;
constexpr int LeastReasonWidth = 80;

} // namespace

DownloadCard::DownloadCard(const QRect &rect, const QFont &font, const Actions &actions)
    : m_rect(rect), m_actions(actions)
{
    const QFontMetrics metrics(font);
    const QFontMetrics titleMetrics(titleFont(font));
    const int lineHeight = metrics.height();
    const QRect inner = rect.adjusted(MarginX, MarginY, -MarginX, -MarginY);

    m_picture = QRect(inner.left(), inner.top(), PictureWidth, PictureHeight);
    const QRect play(m_picture.center() - QPoint(PlaySize / 2 - 1, PlaySize / 2 - 1),
                     QSize(PlaySize, PlaySize));
    const QRect cancel(inner.right() + 1 - CancelSize, inner.top() + 1, CancelSize, CancelSize);
    const QRect pause(cancel.left() - 4 - PauseSize, inner.top(), PauseSize, PauseSize);

    const int textLeft = m_picture.right() + 1 + Gap;
    const int textWidth = qMax(0, pause.left() - Gap - textLeft);
    const int textBottom =
        qMax(m_picture.bottom() + 1, inner.top() + titleMetrics.height() + 2 * lineHeight + 8);
    m_title = QRect(textLeft, inner.top(), textWidth, titleMetrics.height());
    m_status = QRect(textLeft, textBottom - lineHeight, textWidth, lineHeight);
    const int descriptionTop = m_title.bottom() + 1 + 4;
    m_description =
        QRect(textLeft, descriptionTop, textWidth, qMax(0, m_status.top() - 4 - descriptionTop));

    m_bar = QRect(inner.left(), textBottom + BarGap, inner.width(), BarHeight);
    const int buttonHeight = textButtonHeight(font);
    m_line = QRect(inner.left(), m_bar.bottom() + 1 + LineGap, inner.width(),
                   qMax(lineHeight, buttonHeight));

    // The text buttons sit right-aligned on the line, in their order.
    int right = inner.right() + 1;
    QList<std::pair<Action, QRect>> textButtons;
    for (auto it = actions.crbegin(); it != actions.crend(); ++it) {
        if (!isTextButton(*it))
            continue;
        const int width = textButtonWidth(font, *it);
        textButtons.prepend({*it, QRect(right - width, m_line.top(), width, m_line.height())});
        right -= width + TextButtonGap;
    }
    m_reason =
        QRect(inner.left(), m_line.top(),
              qMax(0, right - (textButtons.isEmpty() ? 0 : Gap) - inner.left()), m_line.height());

    for (const Action action : actions) {
        QRect button;
        switch (action) {
        case Play:
            button = play;
            break;
        case Pause:
        case Resume:
            button = pause;
            break;
        case Cancel:
            button = cancel;
            break;
        case Retry:
        case SignIn:
        case Remove:
            for (const auto &[which, place] : std::as_const(textButtons)) {
                if (which == action)
                    button = place;
            }
            break;
        }
        m_buttons << button;
    }
}

QRect DownloadCard::buttonRect(Action action) const
{
    const qsizetype at = m_actions.indexOf(action);
    return at < 0 ? QRect() : m_buttons.at(at);
}

int DownloadCard::actionAt(const QPoint &point) const
{
    for (qsizetype i = 0; i < m_actions.size(); ++i) {
        if (m_buttons.at(i).contains(point))
            return m_actions.at(i);
    }
    return -1;
}

bool DownloadCard::isTextButton(Action action)
{
    return action == Retry || action == SignIn || action == Remove;
}

QString DownloadCard::actionName(Action action)
{
    switch (action) {
    case Play:
        return tr("Play");
    case Pause:
        return tr("Pause");
    case Resume:
        return tr("Resume");
    case Cancel:
        return tr("Cancel");
    case Retry:
        return tr("Retry");
    case SignIn:
        return tr("Sign In");
    case Remove:
        return tr("Remove");
    }
    return QString();
}

DownloadCard::Action DownloadCard::defaultAction(const Actions &actions)
{
    for (const Action mend : {SignIn, Retry, Resume, Pause}) {
        if (actions.contains(mend))
            return mend;
    }
    return actions.isEmpty() ? Play : actions.first();
}

QFont DownloadCard::titleFont(const QFont &font)
{
    QFont title = font;
    title.setBold(true);
    if (title.pointSizeF() > 0)
        title.setPointSizeF(title.pointSizeF() * 1.2);
    else
        title.setPixelSize(qRound(title.pixelSize() * 1.2));
    return title;
}

QFont DownloadCard::smallFont(const QFont &font)
{
    QFont small = font;
    if (small.pointSizeF() > 0)
        small.setPointSizeF(small.pointSizeF() * 0.85);
    else
        small.setPixelSize(qMax(8, qRound(small.pixelSize() * 0.85)));
    return small;
}

int DownloadCard::textButtonHeight(const QFont &font)
{
    return QFontMetrics(font).height() + 8;
}

int DownloadCard::textButtonWidth(const QFont &font, Action action)
{
    return QFontMetrics(font).horizontalAdvance(actionName(action)) + TextButtonPadding;
}

int DownloadCard::height(const QFont &font)
{
    const DownloadCard card(QRect(0, 0, 1000, 1), font, {});
    return qMax(Height, card.line().bottom() + 1 + MarginY);
}

int DownloadCard::minimumWidth(const QFont &font)
{
    const int top =
        MarginX + PictureWidth + Gap + LeastTextWidth + Gap + PauseSize + 4 + CancelSize + MarginX;
    const int line = MarginX + LeastReasonWidth + Gap + textButtonWidth(font, SignIn) +
                     TextButtonGap + textButtonWidth(font, Remove) + MarginX;
    return qMax(top, line);
}
