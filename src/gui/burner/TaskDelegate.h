#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

#include <QProgressBar>

// Paints one burn task a row: icon, name, status and, for the running task,
// the elapsed time and a progress bar laid over the row.
class TaskDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Roles of the task list's items.
    static constexpr int TaskRole = Qt::UserRole + 1;     // Task*
    static constexpr int ProgressRole = Qt::UserRole + 2; // fraction, -1 busy
    static constexpr int TimeRole = Qt::UserRole + 3;     // elapsed ms
    static constexpr int StatusRole = Qt::UserRole + 4;   // overrides the description
    static constexpr int RunningRole = Qt::UserRole + 5;  // bool
    static constexpr int RowHeight = 100;

    // The bar lives on `view`'s viewport.
    explicit TaskDelegate(QWidget *view, QObject *parent = nullptr);
    ~TaskDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    QProgressBar *progressBar() const { return m_bar; }
    // Below 0 the bar turns into a busy indicator.
    void setProgress(qreal progress);
    void hideProgress();

private:
    QPointer<QProgressBar> m_bar;
};
