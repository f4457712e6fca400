#include "gui/mainwindow/CorvLibSearchWidget.h"

#include "gui/mainwindow/FieldBackground.h"
#include "gui/mainwindow/FieldButtonOverlay.h"
#include "gui/mainwindow/StyleSheet.h"
#include "ui_CorvLibSearchWidget.h"

CorvLibSearchWidget::CorvLibSearchWidget(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::CorvLibSearchWidget>())
{
    ui->setupUi(this);
    setStyleSheet(StyleSheet::load(QStringLiteral("searchfields")));
    ui->lineEdit->setAccessibleName(tr("Search My Library"));
    ui->pushButton->setAccessibleName(tr("Clear search"));
    ui->pushButton->setToolTip(tr("Clear search"));
    ui->pushButton->setCursor(Qt::PointingHandCursor);
    new FieldBackground(ui->lineEdit);
    FieldBackground::fitPlaceholder(ui->lineEdit);
    new FieldButtonOverlay(ui->lineEdit, ui->pushButton, 6);
    ui->pushButton->hide();
    connect(ui->lineEdit, &QLineEdit::textChanged, this, &CorvLibSearchWidget::textChanged);
    connect(ui->lineEdit, &QLineEdit::textChanged, this,
            &CorvLibSearchWidget::decideClearButtonVisibility);
    connect(ui->pushButton, &QPushButton::clicked, this, &CorvLibSearchWidget::clear);
}

CorvLibSearchWidget::~CorvLibSearchWidget() = default;

QLineEdit *CorvLibSearchWidget::lineEdit() const
{
    return ui->lineEdit;
}

QString CorvLibSearchWidget::text() const
{
    return ui->lineEdit->text();
}

void CorvLibSearchWidget::setCompact(bool compact)
{
    if (compact == m_compact)
        return;
    m_compact = compact;
    ui->lineEdit->setPlaceholderText(compact ? tr("Search") : tr("Search My Library"));
    ui->lineEdit->setMinimumWidth(0);
    FieldBackground::fitPlaceholder(ui->lineEdit);
}

void CorvLibSearchWidget::clear()
{
    ui->lineEdit->clear();
}

void CorvLibSearchWidget::focusLinEdit()
{
    ui->lineEdit->setFocus();
}

void CorvLibSearchWidget::decideClearButtonVisibility(const QString &text)
{
    ui->pushButton->setVisible(!text.isEmpty());
}
