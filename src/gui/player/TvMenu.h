#pragma once

#include <QMenu>
#include <QPointer>

class QActionGroup;

class RendererFinder;

// "Play on TV": the TVs found on the home network by their names, kept
// current while the finder hears of them, and "This computer". The search
// starts the first time a menu opens, so nothing goes out on the network
// before the member asks for a TV.
class TvMenu : public QMenu
{
    Q_OBJECT

public:
    TvMenu(RendererFinder *finder, QWidget *parent = nullptr);

    // The TV the video plays on now (empty: this computer); its entry is checked.
    void setCurrent(const QString &rendererId);
    QString current() const { return m_current; }
    // The entry of a TV (nullptr when it is not listed).
    QAction *rendererAction(const QString &rendererId) const;
    QAction *thisComputerAction() const { return m_here; }

Q_SIGNALS:
    void rendererChosen(const QString &rendererId);
    void thisComputerChosen();

private:
    void startSearching();
    void rebuild();

    QPointer<RendererFinder> m_finder;
    QAction *m_here = nullptr;
    QActionGroup *m_group = nullptr;
    QString m_current;
};
