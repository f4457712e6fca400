#include "library/LibraryFilterModel.h"

#include "library/LibraryItem.h"

#include <QRegularExpression>

namespace {

// A whole-text wildcard match where "*" and "?" also match "/" (titles are not
// paths).
QString wildcardExpression(const QString &pattern)
{
    QString expression;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*'))
            expression += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            expression += QLatin1Char('.');
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression::anchoredPattern(expression);
}

} // namespace

LibraryFilterModel::LibraryFilterModel(QObject *parent) : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
}

void LibraryFilterModel::clearFilter()
{
    m_categories.clear();
    m_titles.clear();
    invalidateFilter();
}

void LibraryFilterModel::setFilter(const QSet<QString> &categories, const QSet<QString> &titles)
{
    m_categories = categories;
    m_titles = titles;
    invalidateFilter();
}

void LibraryFilterModel::setNameFilter(const QString &nameFilter)
{
    m_nameFilter = nameFilter;
    QString pattern = nameFilter;
    if (!pattern.contains(QLatin1Char('*')))
        pattern = QLatin1Char('*') + pattern + QLatin1Char('*');
    m_nameExpression = QRegularExpression(wildcardExpression(pattern),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    m_nameExpression.optimize();
    invalidateFilter();
}

bool LibraryFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    return accepts(index.data().value<LibraryItem>());
}

bool LibraryFilterModel::accepts(const LibraryItem &item) const
{
    if (!m_nameFilter.isEmpty()) {
        const QRegularExpression &expression = m_nameExpression;
        for (const QString &text :
             {item.title(), item.stars(), item.categories(), item.description()}) {
            if (expression.match(text).hasMatch())
                return true;
        }
        return false;
    }
    if (!m_categories.isEmpty()) {
        QSet<QString> categories;
        const QStringList parts = item.categories().split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &part : parts)
            categories.insert(part.trimmed());
        if (!categories.contains(m_categories))
            return false;
    }
    return m_titles.isEmpty() || m_titles.contains(item.dvdTitle());
}
