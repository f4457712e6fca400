#include "gui/mainwindow/CorvWebSearchWidget.h"

#include "gui/mainwindow/CorvSearchLineEdit.h"
#include "gui/mainwindow/FieldBackground.h"
#include "gui/mainwindow/FieldButtonOverlay.h"
#include "gui/mainwindow/StyleSheet.h"
#include "ui_CorvWebSearchWidget.h"

#include <QTimer>

CorvWebSearchWidget::CorvWebSearchWidget(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::CorvWebSearchWidget>())
{
    ui->setupUi(this);
    setStyleSheet(StyleSheet::load(QStringLiteral("searchfields")));
    ui->lineEdit->setAccessibleName(tr("Search"));
    ui->pushButton->setAccessibleName(tr("Search"));
    ui->pushButton->setToolTip(tr("Search"));
    ui->pushButton->setCursor(Qt::PointingHandCursor);
    new FieldBackground(ui->lineEdit);
    FieldBackground::fitPlaceholder(ui->lineEdit);
    new FieldButtonOverlay(ui->lineEdit, ui->pushButton, 2);
    connect(ui->pushButton, &QPushButton::released, ui->lineEdit,
            &CorvSearchLineEdit::slotPushButtonRelease);
    connect(ui->lineEdit, &CorvSearchLineEdit::signalReturnSearchString, this,
            &CorvWebSearchWidget::signalReturnStringSearch);
    connect(ui->lineEdit, &QLineEdit::returnPressed, this,
            &CorvWebSearchWidget::slotPushButtonPressed);
}

CorvWebSearchWidget::~CorvWebSearchWidget() = default;

CorvSearchLineEdit *CorvWebSearchWidget::lineEdit() const
{
    return ui->lineEdit;
}

void CorvWebSearchWidget::setSearchText(const QString &text)
{
    ui->lineEdit->setText(text);
    Q_EMIT signalReturnStringSearch(text);
}

void CorvWebSearchWidget::setPlaceholderText(const QString &text)
{
    ui->lineEdit->setPlaceholderText(text);
    FieldBackground::fitPlaceholder(ui->lineEdit);
}

void CorvWebSearchWidget::slotPushButtonPressed()
{
    // Return shows the button pushed for a moment.
    ui->pushButton->setDown(true);
    QTimer::singleShot(150, this, &CorvWebSearchWidget::slotPushButtonRelease);
}

void CorvWebSearchWidget::slotPushButtonRelease()
{
    ui->pushButton->setDown(false);
}
