#pragma once

#include <QObject>
#include <QVariant>

#include <atomic>

struct mpv_handle;
struct mpv_event;

// One libmpv player core: made with options that leave the user's mpv set-up
// alone and draw video only through the render API, its events delivered as
// signals on the thread the core lives on. Every request is asynchronous, so
// a caller never waits for the core.
class MpvCore : public QObject
{
    Q_OBJECT

public:
    explicit MpvCore(QObject *parent = nullptr);
    ~MpvCore() override;

    // False when libmpv could not be started; nothing plays then.
    bool isValid() const { return m_mpv != nullptr; }
    mpv_handle *handle() const { return m_mpv; }

    // Runs a command; its reply comes as commandDone(`tag`, ...) when `tag` > 0.
    void command(const QStringList &arguments, quint64 tag = 0);
    void setProperty(const char *name, const QVariant &value);
    // Asks for a property's value; it comes as propertyChanged(name, value, tag).
    void requestProperty(const char *name, quint64 tag);

Q_SIGNALS:
    // An observed property changed (tag 0) or a requested one came (its tag).
    // An unavailable value is an invalid QVariant.
    void propertyChanged(const QString &name, const QVariant &value, quint64 tag);
    void commandDone(quint64 tag, int error);
    void fileStarted(qint64 entry);
    void fileLoaded();
    // `reason` and `error` as libmpv's mpv_end_file_reason and error code.
    void fileEnded(qint64 entry, int reason, int error);
    // A seek begins; playback goes on after a load or a seek.
    void seekStarted();
    void playbackRestarted();

private:
    void drainEvents();
    void handle(const mpv_event &event);
    void observe(const char *name, int format);

    mpv_handle *m_mpv = nullptr;
    std::atomic<bool> m_wakePending{false};
};
