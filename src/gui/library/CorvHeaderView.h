#pragma once

#include <QHeaderView>

class QStandardItemModel;

// The sort bar over the tile list: "Date", "Length", "Name", with an arrow
// on the sorted section.
class CorvHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit CorvHeaderView(QWidget *parent = nullptr);

    int sortColumn() const { return m_column; }
    Qt::SortOrder sortOrder() const { return m_order; }

Q_SIGNALS:
    void doSortChange(int column, Qt::SortOrder order);

private Q_SLOTS:
    void onSortChanges(int column, Qt::SortOrder order);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    // Left and Right pick a section, Space or Enter sorts by it as a click does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The section the keyboard is on; framed while the bar has the focus.
    int m_keySection = 0;
    QStandardItemModel *m_sections;
    int m_column = 0;
    Qt::SortOrder m_order = Qt::DescendingOrder;
};
