#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class LibraryModel;
class LibraryStore;
class MetaDataBuilder;
class QNetworkReply;

// Changes the user makes to a video's row: its descriptive fields (reported
// to the site once stored) and its file's new place.
class LibraryEdits : public QObject
{
    Q_OBJECT

public:
    // An edit report for the site: form items in order.
    using EditForm = QList<QPair<QString, QString>>;

    // None is owned; all must outlive the jobs queued here.
    LibraryEdits(LibraryStore *store, LibraryModel *model, MetaDataBuilder *metaData,
                 QObject *parent = nullptr);

    // Saves new descriptive fields of a row and, once stored, reports the edit
    // (editReported). False for a bad row.
    bool updateItem(int row, const QString &title, const QString &description,
                    const QString &categories, const QString &stars);
    // Points the row of `id` at its video file's new place (the user found
    // a moved file); queued to the store, the row changes once it is stored.
    void relocateVideo(qlonglong id, const QString &path);

public Q_SLOTS:
    // The site's answer to an edit report.
    void postbackFinsihed(QNetworkReply *reply);

Q_SIGNALS:
    // An edit was stored; the form is what the site is told (the wiring adds
    // the member's name in front and sends it).
    void editReported(const LibraryEdits::EditForm &form);

private:
    LibraryStore *m_store;
    LibraryModel *m_model;
    MetaDataBuilder *m_metaData;
};
