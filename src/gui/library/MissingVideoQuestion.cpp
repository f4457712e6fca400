#include "gui/library/MissingVideoQuestion.h"

#include "gui/library/VideoFileFilter.h"

#include "core/UserPrompt.h"
#include "library/Library.h"
#include "library/LibraryEdits.h"
#include "library/LibraryModel.h"
#include "library/LibraryRemoval.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

MissingVideoQuestion::MissingVideoQuestion(Library *library, UserPrompt *prompt, QWidget *window)
    : QObject(window), m_library(library), m_prompt(prompt), m_window(window)
{
}

MissingVideoQuestion::~MissingVideoQuestion()
{
    disconnect(m_waiting);
}

void MissingVideoQuestion::ask(const QString &path)
{
    // One question at a time: a second play of the same tile finds it open.
    if (QWidget *open = m_dialog ? static_cast<QWidget *>(m_dialog.data()) : m_question.data()) {
        open->raise();
        open->activateWindow();
        return;
    }
    const QString shownPath = QDir::toNativeSeparators(path);
    const qlonglong id = m_library ? m_library->model()->idOfVideo(path) : -1;
    if (id < 0) {
        m_prompt->warning(
            tr("Video File Missing"),
            tr("The video file \"%1\" is not there any more. It may have been moved, renamed or "
               "deleted.")
                .arg(shownPath));
        return;
    }
    const QString title = m_library->model()->item(m_library->model()->rowOfId(id)).title();
    auto *box = new QMessageBox(QMessageBox::Warning, tr("Video File Missing"),
                                tr("The file of \"%1\" is missing.").arg(title),
                                QMessageBox::NoButton, m_window);
    box->setObjectName(QStringLiteral("missingVideoQuestion"));
    box->setInformativeText(
        tr("It was at %1 and may have been moved, renamed or deleted. Locate the file, or "
           "remove the video from the library.")
            .arg(shownPath));
    QPushButton *locateButton = box->addButton(tr("Locate..."), QMessageBox::AcceptRole);
    locateButton->setObjectName(QStringLiteral("locateButton"));
    QPushButton *removeButton =
        box->addButton(tr("Remove from library"), QMessageBox::DestructiveRole);
    removeButton->setObjectName(QStringLiteral("removeButton"));
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(locateButton);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::finished, this, [=, this] {
        const QAbstractButton *clicked = box->clickedButton();
        if (clicked == locateButton)
            locate(id, path);
        else if (clicked == removeButton)
            remove(id, path);
    });
    m_question = box;
    box->open();
}

void MissingVideoQuestion::remove(qlonglong id, const QString &path)
{
    const int row = m_library->model()->rowOfId(id);
    if (row < 0)
        return; // gone already (the start-up check, another window)
    // Its video is gone; its thumbnail and cover go with the row.
    m_library->removal()->removeItem(row, true);
    Q_EMIT removed(path);
}

void MissingVideoQuestion::locate(qlonglong id, const QString &path)
{
    // The dialog opens where the file was, or as near to it as still exists.
    QDir start = QFileInfo(path).absoluteDir();
    while (!start.exists() && start.cdUp()) {
    }
    if (!start.exists())
        start = QDir::home();
    const QString title = m_library->model()->item(m_library->model()->rowOfId(id)).title();
    auto *dialog =
        new QFileDialog(m_window, tr("Locate \"%1\"").arg(title), start.path(), videoFileFilter());
    dialog->setObjectName(QStringLiteral("locateDialog"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->selectFile(QFileInfo(path).fileName());
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, id](const QString &chosen) { fileChosen(id, chosen); });
    m_dialog = dialog;
    dialog->open();
}

void MissingVideoQuestion::fileChosen(qlonglong id, const QString &chosen)
{
    const QFileInfo file(chosen);
    if (!file.isFile())
        return;
    const QString path = file.absoluteFilePath();
    const qlonglong owner = m_library->model()->idOfVideo(path);
    if (owner >= 0 && owner != id) {
        m_prompt->warning(
            tr("Video File Missing"),
            tr("\"%1\" is the file of \"%2\" already. Choose the file of \"%3\".")
                .arg(QDir::toNativeSeparators(path),
                     m_library->model()->item(m_library->model()->rowOfId(owner)).title(),
                     m_library->model()->item(m_library->model()->rowOfId(id)).title()));
        return;
    }
    if (owner == id) {
        Q_EMIT located(path); // it was back in its place
        return;
    }
    playOnceStored(id, path);
    m_library->edits()->relocateVideo(id, path);
}

void MissingVideoQuestion::playOnceStored(qlonglong id, const QString &path)
{
    disconnect(m_waiting);
    // The player looks the row up by its file (to go on where it stopped):
    // it plays once the row shows the new place.
    m_waiting =
        connect(m_library->model(), &QAbstractItemModel::dataChanged, this, [this, id, path] {
            if (m_library->model()->idOfVideo(path) != id)
                return;
            disconnect(m_waiting);
            Q_EMIT located(path);
        });
}
