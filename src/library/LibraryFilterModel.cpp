#include "library/LibraryFilterModel.h"

#include "library/LibraryItem.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"

#include <QElapsedTimer>
#include <QRegularExpression>

namespace {

// Between the searched texts of a row; a pattern holding it is left to the
// regular expression, so a match never spans two texts.
constexpr QChar kSeparator(0xFFFF);

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

LibraryFilterModel::LibraryFilterModel(QObject *parent)
    : RowMapProxyModel(parent), m_prepare(new QTimer(this))
{
    // Entries are made ahead in short slices, so the first keystroke does
    // not wait for all of them.
    m_prepare->setInterval(0);
    connect(m_prepare, &QTimer::timeout, this, [this] {
        if (!prepareSome())
            m_prepare->stop();
    });
}

void LibraryFilterModel::setSourceModel(QAbstractItemModel *model)
{
    m_entries.clear();
    forgetMatches();
    m_library = qobject_cast<LibraryModel *>(model);
    m_textColumns.clear();
    if (m_library) {
        m_textColumns = {LibraryStore::Title, LibraryStore::Stars, LibraryStore::Categories,
                         LibraryStore::Description, LibraryStore::DvdTitle};
    }
    RowMapProxyModel::setSourceModel(model);
    if (model)
        m_prepare->start();
}

bool LibraryFilterModel::prepareSome()
{
    constexpr qint64 kSliceNs = 4 * 1000 * 1000;
    if (!sourceModel())
        return false;
    const int rows = sourceModel()->rowCount();
    QElapsedTimer slice;
    slice.start();
    int row = 0;
    while (row < rows && slice.nsecsElapsed() < kSliceNs) {
        // Rows are made in order; skip over those made already.
        while (row < rows && row < m_entries.size() && m_entries.at(row))
            ++row;
        if (row < rows)
            entry(row++);
    }
    return row < rows;
}

void LibraryFilterModel::sourceRowsRenewed()
{
    m_entries.clear();
    forgetMatches();
}

void LibraryFilterModel::sourceRowsRemoved(int first, int last)
{
    forgetMatches();
    if (last < m_entries.size())
        m_entries.remove(first, last - first + 1);
    else
        m_entries.clear();
}

void LibraryFilterModel::sourceRowsChanged(int first, int last)
{
    forgetMatches();
    for (int row = first; row <= last && row < m_entries.size(); ++row)
        m_entries[row].reset();
}

void LibraryFilterModel::sourceRowsInserted(int first, int last)
{
    const int count = last - first + 1;
    if (first <= m_entries.size())
        m_entries.insert(first, count, std::nullopt);
    else
        m_entries.clear();
    // The kept matches go on with the new rows' own, so the rows of a long
    // read are each looked at once while a search is typed.
    if (m_matchedPattern.isEmpty() || m_matches.size() + count != sourceModel()->rowCount() ||
        first > m_matches.size()) {
        forgetMatches();
        return;
    }
    m_matches.insert(first, count, false);
    for (int row = first; row <= last; ++row)
        m_matches[row] = foldedText(row).contains(m_matchedPattern);
}

void LibraryFilterModel::clearFilter()
{
    m_categories.clear();
    m_titles.clear();
    refilter();
}

void LibraryFilterModel::setFilter(const QSet<QString> &categories, const QSet<QString> &titles)
{
    m_categories = categories;
    m_titles = titles;
    refilter();
}

void LibraryFilterModel::setNameFilter(const QString &nameFilter)
{
    m_nameFilter = nameFilter;
    QString pattern = nameFilter;
    const bool plain = !pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?')) &&
                       !pattern.contains(kSeparator);
    m_foldedName = plain ? pattern.toCaseFolded() : QString();
    if (!pattern.contains(QLatin1Char('*')))
        pattern = QLatin1Char('*') + pattern + QLatin1Char('*');
    m_nameExpression = QRegularExpression(wildcardExpression(pattern),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    m_nameExpression.optimize();
    refilter();
}

void LibraryFilterModel::matchAll()
{
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    // The same pattern again (typed anew after erasing it): the rows matched
    // last still hold, as any change of the rows forgets them.
    if (m_matchedPattern == m_foldedName && m_matches.size() == rows)
        return;
    // Text holding the new pattern holds any part of it: only rows that
    // held the last pattern can hold one that contains it.
    const bool narrowing = !m_matchedPattern.isEmpty() && m_matches.size() == rows &&
                           m_foldedName.contains(m_matchedPattern);
    if (!narrowing)
        m_matches.fill(true, rows);
    for (int row = 0; row < rows; ++row) {
        if (m_matches.at(row))
            m_matches[row] = foldedText(row).contains(m_foldedName);
    }
    m_matchedPattern = m_foldedName;
}

void LibraryFilterModel::refilter()
{
    if (!m_foldedName.isEmpty())
        matchAll();
    // One new layout rather than a removal or insertion per run of rows,
    // which would cost views time for each of thousands of runs.
    remap();
}

bool LibraryFilterModel::hasFilter() const
{
    return !m_nameFilter.isEmpty() || !m_categories.isEmpty() || !m_titles.isEmpty();
}

QString LibraryFilterModel::searchText(const QString &title, const QString &stars,
                                       const QString &categories, const QString &description)
{
    return (title + kSeparator + stars + kSeparator + categories + kSeparator + description)
        .toCaseFolded();
}

LibraryFilterModel::Entry LibraryFilterModel::entryOf(const QString &title, const QString &stars,
                                                      const QString &categories,
                                                      const QString &description,
                                                      const QString &dvdTitle,
                                                      const QString &folded)
{
    Entry entry;
    entry.folded = folded.isNull() ? searchText(title, stars, categories, description) : folded;
    const QStringList parts = categories.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        entry.categories << part.trimmed();
    entry.dvdTitle = dvdTitle;
    return entry;
}

LibraryFilterModel::Entry LibraryFilterModel::entryOf(const LibraryItem &item)
{
    return entryOf(item.title(), item.stars(), item.categories(), item.description(),
                   item.dvdTitle());
}

LibraryFilterModel::Entry LibraryFilterModel::makeEntry(int sourceRow) const
{
    if (!m_library)
        return entryOf(sourceModel()->index(sourceRow, 0).data().value<LibraryItem>());
    const QList<QVariant> values = m_library->valuesAt(sourceRow);
    const auto text = [&values](int column) {
        return column >= 0 && column < values.size()
                   ? LibraryItem::decode(values.at(column).toString())
                   : QString();
    };
    // The store made the searched text with the row, in its own thread.
    const QString folded = values.value(LibraryStore::SearchText).toString();
    return entryOf(text(m_textColumns.at(0)), text(m_textColumns.at(1)), text(m_textColumns.at(2)),
                   text(m_textColumns.at(3)), text(m_textColumns.at(4)), folded);
}

QString LibraryFilterModel::foldedText(int sourceRow) const
{
    if (sourceRow < m_entries.size() && m_entries.at(sourceRow))
        return m_entries.at(sourceRow)->folded;
    if (m_library) {
        const QVariant folded = m_library->valuesAt(sourceRow).value(LibraryStore::SearchText);
        if (folded.isValid())
            return folded.toString();
    }
    return entry(sourceRow).folded;
}

const LibraryFilterModel::Entry &LibraryFilterModel::entry(int sourceRow) const
{
    // The cache follows every change of the rows; it is only short before
    // the first filtering.
    if (sourceRow >= m_entries.size()) {
        m_entries.clear();
        m_entries.resize(sourceModel()->rowCount());
    }
    std::optional<Entry> &cached = m_entries[sourceRow];
    if (!cached)
        cached = makeEntry(sourceRow);
    return *cached;
}

bool LibraryFilterModel::acceptsSourceRow(int sourceRow) const
{
    if (!hasFilter())
        return true;
    if (!m_nameFilter.isEmpty() && m_foldedName.isEmpty()) {
        const QModelIndex index = sourceModel()->index(sourceRow, 0);
        return accepts(index.data().value<LibraryItem>());
    }
    if (!m_foldedName.isEmpty()) {
        if (m_matchedPattern == m_foldedName && sourceRow < m_matches.size())
            return m_matches.at(sourceRow);
        // Only the searched text counts (not the whole entry).
        return foldedText(sourceRow).contains(m_foldedName);
    }
    return accepts(entry(sourceRow));
}

bool LibraryFilterModel::accepts(const LibraryItem &item) const
{
    if (m_nameFilter.isEmpty() || !m_foldedName.isEmpty())
        return accepts(entryOf(item));
    // Wildcards: the expression over the texts themselves.
    for (const QString &text :
         {item.title(), item.stars(), item.categories(), item.description()}) {
        if (m_nameExpression.match(text).hasMatch())
            return true;
    }
    return false;
}

bool LibraryFilterModel::accepts(const Entry &entry) const
{
    if (!m_nameFilter.isEmpty())
        return entry.folded.contains(m_foldedName);
    for (const QString &category : m_categories) {
        if (!entry.categories.contains(category))
            return false;
    }
    return m_titles.isEmpty() || m_titles.contains(entry.dvdTitle);
}
