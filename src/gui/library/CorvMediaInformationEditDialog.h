#pragma once

#include "library/LibraryItem.h"

#include <QDialog>

class Library;
class QLineEdit;
class QPlainTextEdit;

// Edits a video's title, description, tags and cast.
class CorvMediaInformationEditDialog : public QDialog
{
    Q_OBJECT

public:
    // `row` is the library's row of the video.
    CorvMediaInformationEditDialog(Library *library, int row, QWidget *parent = nullptr);

    QLineEdit *titleLineEdit() const { return m_title; }
    QPlainTextEdit *descriptionPlainTextEdit() const { return m_description; }
    QLineEdit *tagsLineEdit() const { return m_tags; }
    QLineEdit *castLineEdit() const { return m_cast; }

public Q_SLOTS:
    void accept() override;

private:
    Library *m_library;
    int m_row;
    LibraryItem m_item;
    QLineEdit *m_title;
    QPlainTextEdit *m_description;
    QLineEdit *m_tags;
    QLineEdit *m_cast;
};
