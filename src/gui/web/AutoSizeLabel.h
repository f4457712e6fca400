#pragma once

#include <QLabel>

// A label that shows its text elided at the right to whatever width it has.
class AutoSizeLabel : public QLabel
{
    Q_OBJECT

public:
    explicit AutoSizeLabel(QWidget *parent = nullptr);

    QString fullText() const { return m_fullText; }
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setText(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString m_fullText;
};
