#pragma once

#include "LibraryTestFixture.h"
#include "ScriptedPrompt.h"
#include "gui/library/CorvLibraryItemWidget.h"
#include "gui/library/LibraryView.h"
#include "gui/library/LibraryWidget.h"

#include <QAbstractItemModel>
#include <QSize>
#include <QStringList>

#include <memory>

// The library page as the window shows it: a library in a fresh folder, a
// prompt that records what it was asked, and the page's widget over them.
struct LibraryPage
{
    LibraryTestFixture fixture;
    ScriptedPrompt prompt;
    std::unique_ptr<LibraryWidget> widget;

    void show(const QSize &size = QSize(900, 600))
    {
        widget = std::make_unique<LibraryWidget>(fixture.library.get(), &prompt);
        widget->resize(size);
        widget->show();
    }
    LibraryView *view() const { return widget->listView(); }
    QModelIndex index(int row) const { return view()->model()->index(row, 0); }
    CorvLibraryItemWidget *tile(int row) const { return view()->itemWidget(index(row)); }
    // What the row's tile shows, and the titles of every row's tile.
    QString title(int row) const { return tile(row)->item().title(); }
    QStringList titles() const
    {
        QStringList list;
        for (int row = 0; row < view()->model()->rowCount(); ++row)
            list << title(row);
        return list;
    }
    // The titles of the rows in the page's order.
    QStringList modelTitles() const
    {
        QStringList titles;
        const QAbstractItemModel *model = view()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            titles << model->index(row, 0).data().value<LibraryItem>().title();
        return titles;
    }
};
