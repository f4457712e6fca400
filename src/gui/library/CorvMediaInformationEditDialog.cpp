#include "gui/library/CorvMediaInformationEditDialog.h"

#include "library/Library.h"
#include "library/LibraryEdits.h"
#include "library/LibraryModel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CorvMediaInformationEditDialog::CorvMediaInformationEditDialog(Library *library, int row,
                                                               QWidget *parent)
    : QDialog(parent), m_library(library), m_row(row),
      m_item(library ? library->model()->item(row) : LibraryItem()), m_title(new QLineEdit(this)),
      m_description(new QPlainTextEdit(this)), m_tags(new QLineEdit(this)),
      m_cast(new QLineEdit(this))
{
    setObjectName(QStringLiteral("CorvMediaInformationEditDialog"));
    setWindowTitle(tr("Media Information"));
    m_title->setObjectName(QStringLiteral("titleLineEdit"));
    m_description->setObjectName(QStringLiteral("descriptionPlainTextEdit"));
    m_tags->setObjectName(QStringLiteral("tagsLineEdit"));
    m_cast->setObjectName(QStringLiteral("castLineEdit"));

    auto *form = new QFormLayout;
    form->addRow(tr("Title"), m_title);
    form->addRow(tr("Description"), m_description);
    form->addRow(tr("Tags"), m_tags);
    form->addRow(tr("Cast"), m_cast);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CorvMediaInformationEditDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    if (m_item.isValid()) {
        m_title->setText(m_item.title());
        m_description->setPlainText(m_item.description());
        m_tags->setText(m_item.categories());
        m_cast->setText(m_item.stars());
    }
}

void CorvMediaInformationEditDialog::accept()
{
    if (m_library && m_item.isValid())
        m_library->edits()->updateItem(m_row, m_title->text(), m_description->toPlainText(),
                                       m_tags->text(), m_cast->text());
    QDialog::accept();
}
