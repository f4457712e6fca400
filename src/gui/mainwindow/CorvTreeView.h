#pragma once

#include <QTreeView>

// The sidebar tree. Its vertical scroll bar shows only while the mouse is
// over it; Return or Enter on a row acts like pressing it with the mouse.
// With a width range it takes the width its rows need to show their texts
// whole (as the row delegate measures them), within that range.
class CorvTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit CorvTreeView(QWidget *parent = nullptr);

    void setWidthRange(int minimum, int maximum);
    void setModel(QAbstractItemModel *model) override;
    // The width the shown rows ask for, frame included (before the range applies).
    int neededWidth() const;

Q_SIGNALS:
    void keyActivated(const QModelIndex &index);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fitWidth();

    int m_minimumWidth = 0;
    int m_maximumWidth = 0;
};
