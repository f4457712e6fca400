#pragma once

#include "library/LibraryModel.h"
#include "library/RowMapProxyModel.h"

#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

class LibraryModel;
class LibraryItem;

// What the filter's rules need of one row.
struct LibraryFilterEntry
{
    QString folded; // title, stars, categories, description, case-folded
    QStringList categories;
    QString dvdTitle;
};
// Implicitly shared members only: the per-row list moves entries by their
// bytes, so a row inserted above 100,000 others is one memory move.
Q_DECLARE_TYPEINFO(LibraryFilterEntry, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(std::optional<LibraryFilterEntry>, Q_RELOCATABLE_TYPE);

// Filters the library by categories, DVD titles or a name pattern.
//
// What the rules look at is kept per source row (the searched texts case-
// folded in one string, the category names split), made when a row is first
// filtered (or while the event loop is idle) and dropped when the row
// changes, so a new pattern is a plain text search over memory. A pattern
// that extends the last one only looks at the rows the last one kept. The
// rows shown keep the source's order (the order of the tiles).
class LibraryFilterModel : public RowMapProxyModel
{
    Q_OBJECT

public:
    explicit LibraryFilterModel(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *model) override;

    // The rule itself, for one item.
    bool accepts(const LibraryItem &item) const;

public Q_SLOTS:
    void clearFilter();
    void setFilter(const QSet<QString> &categories, const QSet<QString> &titles);
    void setNameFilter(const QString &nameFilter);

    // The text of a video the name pattern is looked for in, case-folded.
    static QString searchText(const QString &title, const QString &stars, const QString &categories,
                              const QString &description);

protected:
    bool acceptsSourceRow(int sourceRow) const override;
    void sourceRowsInserted(int first, int last) override;
    void sourceRowsChanged(int first, int last) override;
    void sourceRowsRemoved(int first, int last) override;
    void sourceRowsRenewed() override;

private:
    using Entry = LibraryFilterEntry;

    // `folded` when known already (else made from the texts).
    static Entry entryOf(const QString &title, const QString &stars, const QString &categories,
                         const QString &description, const QString &dvdTitle,
                         const QString &folded = QString());
    // The folded text the name pattern is looked for in, of one row's
    // decoded texts, or of a row of the library (the store made it).
    QString foldedText(int sourceRow) const;
    static Entry entryOf(const LibraryItem &item);
    // A row's entry; from the library's stored values where the source is
    // the library (decoding only the texts the rules read).
    Entry makeEntry(int sourceRow) const;
    // The rules for a row whose name pattern, if any, is plain text.
    bool accepts(const Entry &entry) const;
    const Entry &entry(int sourceRow) const;
    bool hasFilter() const;
    void refilter();
    // Any change of the rows: the kept matches are no longer those of the rows.
    void forgetMatches() { m_matchedPattern.clear(); }
    // The plain name pattern over all rows, into m_matches.
    void matchAll();
    // Makes entries for a while; false once all rows have one.
    bool prepareSome();

    QSet<QString> m_categories;
    QSet<QString> m_titles;
    QString m_nameFilter;
    // The pattern case-folded when it is a plain text (no wildcards); empty
    // when the regular expression decides.
    QString m_foldedName;
    QRegularExpression m_nameExpression;
    mutable QList<std::optional<Entry>> m_entries;
    // The source when it is the library, and its stored columns of title,
    // stars, categories, description and DVD title.
    LibraryModel *m_library = nullptr;
    QList<int> m_textColumns;
    // Per source row, whether it holds m_matchedPattern (valid while that is
    // not empty).
    QList<bool> m_matches;
    QString m_matchedPattern;
    QTimer *m_prepare;
};
