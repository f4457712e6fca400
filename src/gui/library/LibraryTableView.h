#pragma once

#include <QTableView>

// The detail page's table: one line per video with its text columns.
class LibraryTableView : public QTableView
{
    Q_OBJECT

public:
    explicit LibraryTableView(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
};
