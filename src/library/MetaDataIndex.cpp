#include "library/MetaDataIndex.h"
#include "core/Logging.h"

#include "library/LibraryItem.h"

#include <QSqlError>
#include <QtDebug>

namespace {

QStringList splitNames(const QString &stored)
{
    QStringList names;
    const QStringList parts =
        LibraryItem::decode(stored).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        names << part.trimmed();
    return names;
}

QSqlQuery prepared(const QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    query.prepare(statement);
    return query;
}

} // namespace

struct MetaDataIndex::Statements
{
    explicit Statements(const QSqlDatabase &db)
        : title(prepared(db, QStringLiteral("INSERT OR IGNORE INTO dvd_titles (title) VALUES(?);"))),
          category(prepared(
              db, QStringLiteral("INSERT OR IGNORE INTO categories (category) VALUES(?);"))),
          model(prepared(db, QStringLiteral("INSERT OR IGNORE INTO models (name) VALUES(?);"))),
          titleModel(prepared(db, QStringLiteral("INSERT OR IGNORE INTO titlesxmodels "
                                                 "(title_id, model_id) VALUES(?, ?);"))),
          categoryTitle(prepared(db, QStringLiteral("INSERT OR IGNORE INTO categoriesxtitles "
                                                    "(category_id, title_id) VALUES(?, ?);"))),
          categoryModel(prepared(db, QStringLiteral("INSERT OR IGNORE INTO categoriesxmodels "
                                                    "(category_id, model_id) VALUES(?, ?);"))),
          eraseTitle(prepared(db, QStringLiteral("DELETE FROM dvd_titles WHERE id=?"))),
          eraseCategory(prepared(db, QStringLiteral("DELETE FROM categories WHERE id=?"))),
          // The link tables have no key: a link of two rows naming the same
          // pair goes once per row.
          eraseCategoryTitle(prepared(
              db, QStringLiteral("DELETE FROM categoriesxtitles WHERE rowid = (SELECT rowid FROM "
                                 "categoriesxtitles WHERE category_id=? AND title_id=? LIMIT 1)"))),
          plain(db)
    {
    }

    QSqlQuery title, category, model, titleModel, categoryTitle, categoryModel;
    QSqlQuery eraseTitle, eraseCategory, eraseCategoryTitle;
    QSqlQuery plain;
};

MetaDataIndex::MetaDataIndex() = default;
MetaDataIndex::~MetaDataIndex() = default;

void MetaDataIndex::attach(const QSqlDatabase &db)
{
    m_statements = std::make_unique<Statements>(db);
}

void MetaDataIndex::detach()
{
    m_statements.reset();
}

bool MetaDataIndex::exec(QSqlQuery &query, const QString &what)
{
    if (query.exec())
        return true;
    m_error = what + query.lastError().text();
    return false;
}

qint64 MetaDataIndex::nameId(QHash<QString, Name> &names, QSqlQuery &insert, const QString &name)
{
    Name &known = names[name];
    if (known.uses == 0) {
        insert.addBindValue(LibraryItem::encode(name));
        if (!insert.exec() || !insert.lastInsertId().isValid()) {
            names.remove(name);
            return -1;
        }
        known.id = insert.lastInsertId().toLongLong();
    }
    ++known.uses;
    return known.id;
}

bool MetaDataIndex::add(qlonglong id, const Row &row)
{
    if (!remove(id))
        return false;
    Statements &s = *m_statements;
    Entry entry;
    entry.title = LibraryItem::decode(row.dvdTitle).trimmed();
    entry.titleId = nameId(m_titles, s.title, entry.title);
    if (entry.titleId < 0)
        qCWarning(lcLibrary).noquote()
            << QStringLiteral("MetaDataBuilder::titleId there was an error (dvd_titles) ") +
                   s.title.lastError().text();

    for (const QString &name : splitNames(row.stars)) {
        s.model.addBindValue(LibraryItem::encode(name));
        if (!exec(s.model, QStringLiteral("MetaDataThread::run there was an error (models): ")))
            return false;
        entry.modelIds << s.model.lastInsertId().toLongLong();
    }
    for (const QString &name : splitNames(row.categories)) {
        if (name.isEmpty()) {
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("MetaDataBuilder::categoryId invalid category: ") + name;
            continue;
        }
        const qint64 categoryId = nameId(m_categories, s.category, name);
        if (categoryId < 0)
            qCWarning(lcLibrary).noquote()
                << QStringLiteral("MetaDataBuilder::categoryId there was an error: ") +
                       s.category.lastError().text();
        else {
            entry.categoryIds << categoryId;
            entry.categories << name;
        }
    }
    // Kept before the links are written, so that a failed write is taken
    // out with the rest.
    m_rows.insert(id, entry);
    return addLinks(entry);
}

bool MetaDataIndex::addLinks(const Entry &entry)
{
    Statements &s = *m_statements;
    for (qint64 modelId : entry.modelIds) {
        s.titleModel.addBindValue(entry.titleId);
        s.titleModel.addBindValue(modelId);
        if (!exec(s.titleModel,
                  QStringLiteral("MetaDataThread::run there was an error (titlesxmodels): ")))
            return false;
    }
    for (qint64 categoryId : entry.categoryIds) {
        s.categoryTitle.addBindValue(categoryId);
        s.categoryTitle.addBindValue(entry.titleId);
        if (!exec(s.categoryTitle,
                  QStringLiteral("MetaDataThread::run there was an error (categoriesxtitles): ")))
            return false;
        for (qint64 modelId : entry.modelIds) {
            s.categoryModel.addBindValue(categoryId);
            s.categoryModel.addBindValue(modelId);
            if (!exec(s.categoryModel, QStringLiteral("MetaDataThread::run there was an error "
                                                      "(categoriesxmodels): ")))
                return false;
        }
    }
    return true;
}

bool MetaDataIndex::releaseName(QHash<QString, Name> &names, QSqlQuery &erase,
                                const QString &name)
{
    const auto it = names.find(name);
    if (it == names.end() || --it->uses > 0)
        return true;
    erase.addBindValue(it->id);
    names.erase(it);
    return exec(erase, QStringLiteral("MetaDataBuilder: can't remove a name: "));
}

bool MetaDataIndex::remove(qlonglong id)
{
    const auto found = m_rows.constFind(id);
    if (found == m_rows.cend())
        return true;
    const Entry entry = *found;
    m_rows.erase(found);
    Statements &s = *m_statements;
    if (!entry.modelIds.isEmpty()) {
        QStringList ids;
        for (qint64 modelId : entry.modelIds)
            ids << QString::number(modelId);
        const QString list = ids.join(QLatin1Char(','));
        // The model ids are this row's own.
        for (const QString &statement : {QStringLiteral("DELETE FROM titlesxmodels WHERE model_id IN (%1)"),
                                         QStringLiteral("DELETE FROM categoriesxmodels WHERE model_id IN (%1)"),
                                         QStringLiteral("DELETE FROM models WHERE id IN (%1)")}) {
            if (!s.plain.exec(statement.arg(list))) {
                m_error = s.plain.lastError().text();
                return false;
            }
        }
    }
    for (qsizetype i = 0; i < entry.categoryIds.size(); ++i) {
        s.eraseCategoryTitle.addBindValue(entry.categoryIds.at(i));
        s.eraseCategoryTitle.addBindValue(entry.titleId);
        if (!exec(s.eraseCategoryTitle, QStringLiteral("MetaDataBuilder: can't remove a link: ")) ||
            !releaseName(m_categories, s.eraseCategory, entry.categories.at(i)))
            return false;
    }
    return entry.titleId < 0 || releaseName(m_titles, s.eraseTitle, entry.title);
}
