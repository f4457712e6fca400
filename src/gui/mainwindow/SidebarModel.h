#pragma once

#include "gui/mainwindow/ChannelEntry.h"

#include <QList>
#include <QStandardItemModel>

#include <functional>

// The sidebar's rows: a spacer, the site, the "Library" group with the
// library, player and downloads pages, and between the site and "Library"
// the channels of the signed-in member.
class SidebarModel : public QStandardItemModel
{
    Q_OBJECT

public:
    enum Role
    {
        // A web row's page address.
        UrlRole = 32,
        // A channel's search address.
        SearchRole = 33,
        // The icon while selected (a channel's search text until its icon arrives).
        SelectedIconRole = 34,
        // The icon while not selected.
        IconRole = 35,
        // The text the sidebar's width allows for, where it is not the one shown.
        WidthTextRole = 36
    };

    explicit SidebarModel(QObject *parent = nullptr);

    QStandardItem *siteItem() const { return m_siteItem; }
    QStandardItem *libraryItem() const { return m_libraryItem; }
    QStandardItem *playerItem() const { return m_playerItem; }
    QStandardItem *downloadsItem() const { return m_downloadsItem; }

    bool isFixed(const QStandardItem *item) const { return m_fixedItems.contains(item); }

    void setLibraryCount(int count);
    void setDownloadCount(int count);
    // The counts' rows keep room for at least `digits` digits, so that the
    // sidebar's width stays put while a big library's rows come in.
    void setCountDigitsAllowedFor(int digits);
    // Sets the library row's two icons; empty restores its own.
    void setLibraryIcon(const QString &path);

    // Removes every channel row, deepest and last first; `beforeRemove` sees each.
    void removeChannels(const std::function<void(QStandardItem *)> &beforeRemove);
    // Adds channel rows: top-level ones between the site and "Library", nested
    // ones under their parent. `made` sees every new row (parents first).
    void addChannels(const QList<ChannelEntry> &channels,
                     const std::function<void(QStandardItem *, const ChannelEntry &)> &made);

    // The first row whose text equals `name` ignoring case, depth first; or nullptr.
    QStandardItem *findByName(const QString &name) const;

    static QFont groupFont();
    static QFont rowFont();

private:
    QStandardItem *addFixed(QStandardItem *parent, const QString &text, const QString &icon,
                            const QFont &font);
    void setCountText(QStandardItem *item, const QString &text, int count);
    QStandardItem *makeChannel(const ChannelEntry &entry,
                               const std::function<void(QStandardItem *, const ChannelEntry &)> &made);

    QList<const QStandardItem *> m_fixedItems;
    QStandardItem *m_siteItem = nullptr;
    QStandardItem *m_libraryItem = nullptr;
    QStandardItem *m_playerItem = nullptr;
    QStandardItem *m_downloadsItem = nullptr;
    int m_libraryCount = 0;
    int m_downloadCount = 0;
    int m_countDigits = 1;
};
