#pragma once

#include <QTreeView>

// The sidebar tree. Its vertical scroll bar shows only while the mouse is
// over it; Return or Enter on a row acts like pressing it with the mouse.
class CorvTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit CorvTreeView(QWidget *parent = nullptr);

Q_SIGNALS:
    void keyActivated(const QModelIndex &index);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
