#include "burner/DeviceController.h"

#include <QStandardItem>

DeviceController::DeviceController(QObject *parent) : QObject(parent)
{
    m_clock.start();
}

QStringList DeviceController::writeSpeeds(const QString &) const
{
    return {QStringLiteral("0")};
}

void DeviceController::setRecorder(const QString &name, const QString &writeSpeed)
{
    m_recorderName = name;
    m_writeSpeed = writeSpeed.isEmpty() ? QStringLiteral("0") : writeSpeed;
}

bool DeviceController::setupDisc()
{
    if (m_discSetup)
        return m_discSetup(*this);
    QStringList candidates = devices();
    if (!m_recorderName.isEmpty())
        candidates = {m_recorderName};
    for (const QString &name : candidates) {
        if (isCurrentMediaValid(name) && isCurrentMediaWritable(name)) {
            const QStringList speeds = writeSpeeds(name);
            setRecorder(name, speeds.isEmpty() ? QStringLiteral("0") : speeds.last());
            return true;
        }
    }
    return false;
}

void DeviceController::setUpdateItem(QStandardItem *item)
{
    m_updateItem = item;
}

void DeviceController::startClock()
{
    m_clock.restart();
    m_writingShown = false;
    m_lastAction = -1;
}

void DeviceController::setStatus(const QString &text)
{
    if (m_updateItem)
        m_updateItem->setData(text, StatusRole);
    emit statusChanged(text);
}

void DeviceController::setProgress(qreal fraction)
{
    if (m_updateItem) {
        m_updateItem->setData(static_cast<double>(fraction), ProgressRole);
        m_updateItem->setData(static_cast<double>(m_clock.elapsed()), TimeRole);
    }
    emit progressChanged(fraction);
}

void DeviceController::updateAction(WriteAction action, qreal fraction)
{
    // A step is shown once; only the writing step reports as it goes.
    const bool repeated = action == m_lastAction && action != WritingData;
    m_lastAction = action;
    if (repeated)
        return;
    switch (action) {
    case ValidatingMedia:
        setStatus(tr("Validating media..."));
        break;
    case FormattingMedia:
        setStatus(tr("Formatting media..."));
        break;
    case InitializingHardware:
        setStatus(tr("Initializing hardware... "));
        break;
    case CalibratingPower:
        setStatus(tr("Calibrating power..."));
        break;
    case WritingData:
        if (!m_writingShown) {
            m_writingShown = true;
            setStatus(tr("Writing Disc..."));
            setProgress(0.0);
        }
        setProgress(qBound<qreal>(0.0, fraction, 1.0));
        break;
    case Finalizing:
        setStatus(tr("Finishing writing operation..."));
        break;
    case Completed:
        setProgress(1.0);
        break;
    }
}
