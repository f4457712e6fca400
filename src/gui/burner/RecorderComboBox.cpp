#include "gui/burner/RecorderComboBox.h"

#include <QAbstractItemView>
#include <QDir>
#include <QStyleOptionComboBox>
#include <QStylePainter>

RecorderComboBox::RecorderComboBox(QWidget *parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
    view()->setTextElideMode(Qt::ElideMiddle);
    view()->setAccessibleName(tr("Recorders"));
    connect(this, &QComboBox::currentIndexChanged, this, &RecorderComboBox::updateToolTip);
}

QString RecorderComboBox::displayText(const QString &recorder)
{
    if (recorder.startsWith(QLatin1String("stdio:")))
        return QDir::toNativeSeparators(recorder.mid(6));
    return recorder;
}

void RecorderComboBox::setRecorders(const QStringList &recorders)
{
    const QString shown = currentRecorder();
    const QSignalBlocker quiet(this);
    clear();
    for (const QString &recorder : recorders) {
        addItem(displayText(recorder), recorder);
        setItemData(count() - 1, displayText(recorder), Qt::ToolTipRole);
    }
    const int index = findData(shown, RecorderRole);
    setCurrentIndex(index >= 0 ? index : (count() > 0 ? 0 : -1));
    updateToolTip();
}

QString RecorderComboBox::currentRecorder() const
{
    return currentData(RecorderRole).toString();
}

bool RecorderComboBox::selectRecorder(const QString &recorder)
{
    const int index = findData(recorder, RecorderRole);
    if (index < 0)
        return false;
    setCurrentIndex(index);
    updateToolTip();
    return true;
}

void RecorderComboBox::updateToolTip()
{
    const QString text = currentText();
    setToolTip(text);
    setAccessibleDescription(text);
}

void RecorderComboBox::paintEvent(QPaintEvent *)
{
    // As QComboBox draws itself, with the text elided in the middle.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // The label is drawn a pixel in from each side of the field; elided to the
    // whole field, its last letter would be cut.
    option.currentText =
        fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, field.width() - 2);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
