#include "gui/mainwindow/SidebarModel.h"

#include "core/SiteConfig.h"
#include "gui/mainwindow/Artwork.h"

#include <QIcon>

#include <algorithm>

namespace {

QIcon iconFor(const QString &path)
{
    QIcon icon;
    icon.addPixmap(Artwork::pixmap(path, 1.0));
    const QPixmap sharp = Artwork::pixmap(path, 2.0);
    if (sharp.devicePixelRatio() > 1.0)
        icon.addPixmap(sharp);
    return icon;
}

QString sidebarIcon(const QString &name, bool selected)
{
    return QStringLiteral(":/images/sidebar/%1_icon_%2.png")
        .arg(name, selected ? QStringLiteral("selected") : QStringLiteral("normal"));
}

} // namespace

SidebarModel::SidebarModel(QObject *parent) : QStandardItemModel(parent)
{
    QStandardItem *root = invisibleRootItem();
    auto *spacer = new QStandardItem(QString());
    spacer->setFlags(Qt::ItemIsEnabled);
    spacer->setEditable(false);
    root->appendRow(spacer);
    m_fixedItems << spacer;

    m_siteItem = addFixed(root, tr("Corvana"), QStringLiteral("corvana"), groupFont());
    m_siteItem->setData(
        SiteConfig::resolve(SiteConfig::membersUrl(), QStringLiteral("/members/index.php")).toString(),
        UrlRole);

    auto *group = addFixed(root, tr("Library"), QString(), groupFont());
    group->setSelectable(false);
    m_libraryItem = addFixed(group, tr("My Library (%1)").arg(0), QStringLiteral("library"), rowFont());
    m_playerItem = addFixed(group, tr("Player"), QStringLiteral("player"), rowFont());
    m_downloadsItem = addFixed(group, tr("Downloads (%1)").arg(0), QStringLiteral("download"), rowFont());
    setLibraryCount(0);
    setDownloadCount(0);
}

QFont SidebarModel::groupFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(14);
    font.setBold(true);
    return font;
}

QFont SidebarModel::rowFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    return font;
}

QStandardItem *SidebarModel::addFixed(QStandardItem *parent, const QString &text,
                                      const QString &icon, const QFont &font)
{
    auto *item = new QStandardItem(text);
    item->setEditable(false);
    item->setFont(font);
    if (!icon.isEmpty()) {
        item->setData(iconFor(sidebarIcon(icon, false)), IconRole);
        item->setData(iconFor(sidebarIcon(icon, true)), SelectedIconRole);
    }
    parent->appendRow(item);
    m_fixedItems << item;
    return item;
}

void SidebarModel::setLibraryCount(int count)
{
    m_libraryCount = count;
    setCountText(m_libraryItem, tr("My Library (%1)"), count);
}

void SidebarModel::setDownloadCount(int count)
{
    m_downloadCount = count;
    setCountText(m_downloadsItem, tr("Downloads (%1)"), count);
}

void SidebarModel::setCountDigitsAllowedFor(int digits)
{
    m_countDigits = std::clamp(digits, 1, 10);
    setLibraryCount(m_libraryCount);
    setDownloadCount(m_downloadCount);
}

// The sidebar is as wide as its widest text (WidthTextRole where there is
// one): a count is measured with as many digits as are allowed for, since
// laying the site's page out again for a wider sidebar is slow.
void SidebarModel::setCountText(QStandardItem *item, const QString &text, int count)
{
    const QString digits = QString::number(count);
    item->setText(text.arg(digits));
    const qsizetype allowed = std::max<qsizetype>(m_countDigits, digits.size());
    item->setData(text.arg(QString(allowed, QLatin1Char('0'))), WidthTextRole);
}

void SidebarModel::setLibraryIcon(const QString &path)
{
    if (path.isEmpty()) {
        m_libraryItem->setData(iconFor(sidebarIcon(QStringLiteral("library"), false)), IconRole);
        m_libraryItem->setData(iconFor(sidebarIcon(QStringLiteral("library"), true)), SelectedIconRole);
        return;
    }
    const QIcon icon = iconFor(path);
    m_libraryItem->setData(icon, IconRole);
    m_libraryItem->setData(icon, SelectedIconRole);
}

void SidebarModel::removeChannels(const std::function<void(QStandardItem *)> &beforeRemove)
{
    std::function<void(QStandardItem *)> sweep = [&](QStandardItem *parent) {
        for (int row = parent->rowCount() - 1; row >= 0; --row) {
            QStandardItem *child = parent->child(row);
            sweep(child);
            if (!isFixed(child)) {
                if (beforeRemove)
                    beforeRemove(child);
                parent->removeRow(row);
            }
        }
    };
    sweep(invisibleRootItem());
}

QStandardItem *SidebarModel::makeChannel(
    const ChannelEntry &entry, const std::function<void(QStandardItem *, const ChannelEntry &)> &made)
{
    auto *item = new QStandardItem(entry.name);
    item->setEditable(false);
    item->setFont(rowFont());
    if (entry.url.isEmpty())
        item->setSelectable(false);
    else
        item->setData(entry.url, UrlRole);
    if (!entry.search.isEmpty() && entry.searchDisabled.isEmpty())
        item->setData(entry.search, SearchRole);
    item->setData(entry.searchText.isEmpty() ? QStringLiteral("Search... ") : entry.searchText,
                  SelectedIconRole);
    if (made)
        made(item, entry);
    for (const ChannelEntry &child : entry.children)
        item->appendRow(makeChannel(child, made));
    return item;
}

void SidebarModel::addChannels(
    const QList<ChannelEntry> &channels,
    const std::function<void(QStandardItem *, const ChannelEntry &)> &made)
{
    int row = 2;
    for (const ChannelEntry &entry : channels)
        invisibleRootItem()->insertRow(row++, makeChannel(entry, made));
}

QStandardItem *SidebarModel::findByName(const QString &name) const
{
    std::function<QStandardItem *(QStandardItem *)> search = [&](QStandardItem *parent) -> QStandardItem * {
        for (int row = 0; row < parent->rowCount(); ++row) {
            QStandardItem *child = parent->child(row);
            if (child->text().compare(name, Qt::CaseInsensitive) == 0)
                return child;
            if (QStandardItem *found = search(child))
                return found;
        }
        return nullptr;
    };
    return search(invisibleRootItem());
}
