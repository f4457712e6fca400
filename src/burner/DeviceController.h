#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QStandardItem;

// What the burn step asks of the disc recorders: the list of recorders for
// the project's disc type, media checks, and writing an image or a cue sheet.
// The outcome of a write comes as complete() or failed().
class DeviceController : public QObject
{
    Q_OBJECT

public:
    // Steps of a write, as shown in the task list.
    enum WriteAction
    {
        ValidatingMedia = 0,
        FormattingMedia = 1,
        InitializingHardware = 2,
        CalibratingPower = 3,
        WritingData = 4,
        Finalizing = 5,
        Completed = 6,
    };
    Q_ENUM(WriteAction)

    // Task-list item roles the controller writes.
    static constexpr int ProgressRole = Qt::UserRole + 2;
    static constexpr int TimeRole = Qt::UserRole + 3;
    static constexpr int StatusRole = Qt::UserRole + 4;

    explicit DeviceController(QObject *parent = nullptr);

    virtual QStringList devices() = 0;
    virtual QStringList writeSpeeds(const QString &recorder) const;
    virtual bool setupDisc();
    virtual void burnDVD(const QString &imagePath) = 0;
    virtual void burnVCD(const QString &tocPath) = 0;
    virtual void setUpdateItem(QStandardItem *item);
    virtual bool isCurrentMediaValid(const QString &recorder) = 0;
    virtual bool isCurrentMediaWritable(const QString &recorder) = 0;
    virtual void ejectDisc(const QString &recorder) = 0;

    // The recorder and write speed the user chose (speed "0": the fastest).
    void setRecorder(const QString &name, const QString &writeSpeed);
    QString recorderName() const { return m_recorderName; }
    QString writeSpeed() const { return m_writeSpeed; }

    // The disc setup dialog: lets the user pick a recorder (setRecorder) and
    // answers true when Burn was pressed. Without one, setupDisc() picks the
    // chosen or first recorder holding a writable disc.
    using DiscSetup = std::function<bool(DeviceController &controller)>;
    void setDiscSetup(DiscSetup setup) { m_discSetup = std::move(setup); }

    // Title of every write failure.
    static QString failureTitle() { return QStringLiteral("Discaveo encountered an error"); }

signals:
    void complete();
    void failed(QString title, QString detail);
    // The running write: its step and done fraction (the task list's bar).
    void progressChanged(qreal progress);
    void statusChanged(QString status);

protected:
    // Shows a write step on the update item. `fraction` is used for writing.
    void updateAction(WriteAction action, qreal fraction = 0.0);
    void setProgress(qreal fraction);
    void setStatus(const QString &text);
    void startClock();

private:
    QStandardItem *m_updateItem = nullptr;
    QString m_recorderName;
    QString m_writeSpeed = QStringLiteral("0");
    DiscSetup m_discSetup;
    QElapsedTimer m_clock;
    bool m_writingShown = false;
    int m_lastAction = -1;
};
