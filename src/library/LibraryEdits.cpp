#include "library/LibraryEdits.h"

#include "core/Logging.h"
#include "library/LibraryModel.h"
#include "library/LibraryStore.h"
#include "library/MetaDataBuilder.h"

#include <QFileInfo>
#include <QNetworkReply>

namespace {

// Only the start of the site's answer to an edit report is logged.
constexpr qint64 kMaxReportReply = 64 * 1024;

} // namespace

LibraryEdits::LibraryEdits(LibraryStore *store, LibraryModel *model, MetaDataBuilder *metaData,
                           QObject *parent)
    : QObject(parent), m_store(store), m_model(model), m_metaData(metaData)
{
    qRegisterMetaType<LibraryEdits::EditForm>("LibraryEdits::EditForm");
}

bool LibraryEdits::updateItem(int row, const QString &title, const QString &description,
                              const QString &categories, const QString &stars)
{
    if (row < 0 || row >= m_model->rowCount())
        return false;
    const qlonglong id = m_model->idOf(row);
    const LibraryItem old = m_model->item(row);
    EditForm form;
    form << qMakePair(QStringLiteral("fileName"), QFileInfo(old.videoPath()).fileName());
    if (!old.guid().isEmpty())
        form << qMakePair(QStringLiteral("scene_id"), old.guid());
    form << qMakePair(QStringLiteral("oldTitle"), old.title())
         << qMakePair(QStringLiteral("oldDescription"), old.description())
         << qMakePair(QStringLiteral("oldTags"), old.categories())
         << qMakePair(QStringLiteral("oldCast"), old.stars())
         << qMakePair(QStringLiteral("title"), title)
         << qMakePair(QStringLiteral("description"), description)
         << qMakePair(QStringLiteral("tags"), categories)
         << qMakePair(QStringLiteral("cast"), stars);

    LibraryStore *store = m_store;
    LibraryEdits *self = this;
    store->post([store, self, id, title, description, categories, stars, form] {
        if (!store->updateFields(id, title, description, categories, stars, nullptr))
            return;
        // Told after the changed row (the events keep their order).
        QMetaObject::invokeMethod(self, [self, id, form] {
            self->m_metaData->updateRows({id});
            emit self->editReported(form);
        });
    });
    return true;
}

void LibraryEdits::relocateVideo(qlonglong id, const QString &path)
{
    if (id < 0 || path.isEmpty())
        return;
    LibraryStore *store = m_store;
    store->post([store, id, path] { store->setVideoPath(id, path); });
}

void LibraryEdits::postbackFinsihed(QNetworkReply *reply)
{
    qCDebug(lcLibrary) << "void LibraryEdits::postbackFinsihed(QNetworkReply *reply)";
    if (reply->error() != QNetworkReply::NoError)
        qCWarning(lcLibrary).noquote() << reply->errorString();
    else
        qCDebug(lcLibrary).noquote() << QString::fromUtf8(reply->read(kMaxReportReply));
    reply->deleteLater();
}
