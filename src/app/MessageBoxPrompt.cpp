#include "app/MessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::StandardButtons toStandard(UserPrompt::Buttons buttons)
{
    QMessageBox::StandardButtons result;
    if (buttons & UserPrompt::Ok)
        result |= QMessageBox::Ok;
    if (buttons & UserPrompt::Yes)
        result |= QMessageBox::Yes;
    if (buttons & UserPrompt::No)
        result |= QMessageBox::No;
    if (buttons & UserPrompt::Cancel)
        result |= QMessageBox::Cancel;
    if (buttons & UserPrompt::Retry)
        result |= QMessageBox::Retry;
    if (buttons & UserPrompt::Ignore)
        result |= QMessageBox::Ignore;
    if (buttons & UserPrompt::Abort)
        result |= QMessageBox::Abort;
    return result;
}

UserPrompt::Button fromStandard(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return UserPrompt::Ok;
    case QMessageBox::Yes:
        return UserPrompt::Yes;
    case QMessageBox::No:
        return UserPrompt::No;
    case QMessageBox::Cancel:
        return UserPrompt::Cancel;
    case QMessageBox::Retry:
        return UserPrompt::Retry;
    case QMessageBox::Ignore:
        return UserPrompt::Ignore;
    case QMessageBox::Abort:
        return UserPrompt::Abort;
    default:
        return UserPrompt::NoButton;
    }
}

} // namespace

void MessageBoxPrompt::warning(const QString &title, const QString &text)
{
    if (!m_asking)
        return m_log.warning(title, text);
    QMessageBox::warning(QApplication::activeWindow(), title, text);
}

void MessageBoxPrompt::information(const QString &title, const QString &text)
{
    if (!m_asking)
        return m_log.information(title, text);
    QMessageBox::information(QApplication::activeWindow(), title, text);
}

UserPrompt::Button MessageBoxPrompt::question(const QString &title, const QString &text,
                                              Buttons buttons, Button defaultButton)
{
    if (!m_asking)
        return m_log.question(title, text, buttons, defaultButton);
    const int answer = QMessageBox::question(
        QApplication::activeWindow(), title, text, toStandard(buttons),
        QMessageBox::StandardButton(int(toStandard(Buttons(defaultButton)))));
    return fromStandard(answer);
}
