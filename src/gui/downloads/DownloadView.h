#pragma once

#include "downloads/DownloadManager.h"

#include <QPointer>
#include <QTableView>

class Download;
class DownloadItem;
class UserPrompt;

// The list of the downloads page: the download manager's rows, each shown
// by a DownloadItem card.
class DownloadView : public QTableView
{
    Q_OBJECT

public:
    static constexpr int RowHeight = 180;

    // The cards ask the user through `prompt` (not owned).
    explicit DownloadView(UserPrompt *prompt, QWidget *parent = nullptr);

    void setDownloadManager(DownloadManager *manager);
    DownloadItem *card(int row) const;

Q_SIGNALS:
    void playRequested(const QString &path);
    void signInRequested();

protected Q_SLOTS:
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private Q_SLOTS:
    void downloadAdded(Download *download, int row);

private:
    void markRows(const QItemSelection &rows, bool selected);

    QPointer<DownloadManager> m_manager;
    UserPrompt *m_prompt;
};
