#pragma once

#include <QPoint>
#include <QTableView>

class QLabel;
class QTimer;

// The detail page's table: one line per video with its text columns. Resting
// the mouse on a line for a moment shows the video's picture beside it.
class LibraryTableView : public QTableView
{
    Q_OBJECT

public:
    explicit LibraryTableView(QWidget *parent = nullptr);

    // How long the mouse rests before the preview shows (750 ms).
    void setPreviewDelay(int ms);
    int previewDelay() const;
    bool isPreviewPending() const;
    QLabel *previewLabel() const { return m_preview; }
    void hidePreview();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private Q_SLOTS:
    void displayPreview();

private:
    void fitHeaderTexts();
    QLabel *m_preview;
    QTimer *m_timer;
    QPoint m_lastPosition;
};
