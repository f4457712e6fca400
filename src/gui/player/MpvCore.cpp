#include "gui/player/MpvCore.h"

#include "core/Logging.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QStringList>

#include <mpv/client.h>

#include <clocale>
#include <vector>

namespace {

QVariant fromNode(const mpv_node &node)
{
    switch (node.format) {
    case MPV_FORMAT_STRING:
        return QString::fromUtf8(node.u.string);
    case MPV_FORMAT_FLAG:
        return bool(node.u.flag);
    case MPV_FORMAT_INT64:
        return qlonglong(node.u.int64);
    case MPV_FORMAT_DOUBLE:
        return node.u.double_;
    case MPV_FORMAT_NODE_ARRAY: {
        QVariantList list;
        for (int i = 0; i < node.u.list->num; ++i)
            list.append(fromNode(node.u.list->values[i]));
        return list;
    }
    case MPV_FORMAT_NODE_MAP: {
        QVariantMap map;
        for (int i = 0; i < node.u.list->num; ++i)
            map.insert(QString::fromUtf8(node.u.list->keys[i]), fromNode(node.u.list->values[i]));
        return map;
    }
    default:
        return {};
    }
}

QVariant fromProperty(const mpv_event_property &property)
{
    switch (property.format) {
    case MPV_FORMAT_FLAG:
        return bool(*static_cast<int *>(property.data));
    case MPV_FORMAT_INT64:
        return qlonglong(*static_cast<int64_t *>(property.data));
    case MPV_FORMAT_DOUBLE:
        return *static_cast<double *>(property.data);
    case MPV_FORMAT_NODE:
        return fromNode(*static_cast<mpv_node *>(property.data));
    default:
        return {};
    }
}

// What the player needs and nothing of the user's mpv set-up: no config
// files, key bindings, on-screen controls, scripts or terminal; video only
// through the render API; subtitles (and the files beside the video) are the
// page's unless a track of the video is picked.
const char *const kOptions[][2] = {
    {"config", "no"},
    {"terminal", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"input-cursor", "no"},
    {"osc", "no"},
    {"load-scripts", "no"},
    // The built-in scripts too: each would start a Lua state of its own.
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"ytdl", "no"},
    {"resume-playback", "no"},
    {"save-position-on-quit", "no"},
    {"vo", "libmpv"},
    {"hwdec", "no"},
    {"sid", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"cover-art-auto", "no"},
    {"osd-level", "0"},
    {"osd-bar", "no"},
    {"audio-display", "no"},
    {"idle", "yes"},
    {"keep-open", "yes"},
    {"hr-seek", "yes"},
    {"prefetch-playlist", "no"},
    {"audio-client-name", "CorvanaZELTA"},
};

// The sound outputs worth trying, best first: the sound servers whose
// sockets are there, the sound cards, and at last none, so that without any
// the video plays on, timed by the clock (and no library probes for
// devices that are not there).
QByteArray audioOutputs()
{
    QByteArrayList outputs;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/pipewire-0")))
        outputs << "pipewire";
    if (qEnvironmentVariableIsSet("PULSE_SERVER") ||
        (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/pulse/native"))))
        outputs << "pulse";
    QFile cards(QStringLiteral("/proc/asound/cards"));
    if (cards.open(QIODevice::ReadOnly) && !cards.readAll().contains("no soundcards"))
        outputs << "alsa";
    outputs << "null";
    return outputs.join(',');
}

} // namespace

MpvCore::MpvCore(QObject *parent) : QObject(parent)
{
    // libmpv parses numbers the C way only.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv) {
        qCWarning(lcGui) << "MpvCore: libmpv could not be started";
        return;
    }
    for (const auto &option : kOptions)
        mpv_set_option_string(m_mpv, option[0], option[1]);
    static const QByteArray outputs = audioOutputs();
    mpv_set_option_string(m_mpv, "ao", outputs.constData());
    if (mpv_initialize(m_mpv) < 0) {
        qCWarning(lcGui) << "MpvCore: libmpv could not be initialised";
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        return;
    }
    mpv_request_log_messages(m_mpv, "no");
    observe("time-pos", MPV_FORMAT_DOUBLE);
    observe("duration", MPV_FORMAT_DOUBLE);
    observe("pause", MPV_FORMAT_FLAG);
    observe("idle-active", MPV_FORMAT_FLAG);
    observe("eof-reached", MPV_FORMAT_FLAG);
    observe("seekable", MPV_FORMAT_FLAG);
    observe("volume", MPV_FORMAT_DOUBLE);
    observe("mute", MPV_FORMAT_FLAG);
    observe("dwidth", MPV_FORMAT_INT64);
    observe("dheight", MPV_FORMAT_INT64);
    observe("video-params/rotate", MPV_FORMAT_INT64);
    observe("track-list", MPV_FORMAT_NODE);
    observe("metadata", MPV_FORMAT_NODE);
    // Called on one of libmpv's threads: only hand the work to ours, once.
    mpv_set_wakeup_callback(
        m_mpv,
        [](void *context) {
            auto *core = static_cast<MpvCore *>(context);
            if (!core->m_wakePending.exchange(true))
                QMetaObject::invokeMethod(core, &MpvCore::drainEvents, Qt::QueuedConnection);
        },
        this);
}

MpvCore::~MpvCore()
{
    if (!m_mpv)
        return;
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
}

void MpvCore::observe(const char *name, int format)
{
    mpv_observe_property(m_mpv, 0, name, mpv_format(format));
}

void MpvCore::command(const QStringList &arguments, quint64 tag)
{
    if (!m_mpv)
        return;
    std::vector<QByteArray> bytes;
    bytes.reserve(arguments.size());
    for (const QString &argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<const char *> args;
    for (const QByteArray &argument : bytes)
        args.push_back(argument.constData());
    args.push_back(nullptr);
    mpv_command_async(m_mpv, tag, args.data());
}

void MpvCore::setProperty(const char *name, const QVariant &value)
{
    if (!m_mpv)
        return;
    switch (value.typeId()) {
    case QMetaType::Bool: {
        int flag = value.toBool() ? 1 : 0;
        mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_FLAG, &flag);
        break;
    }
    case QMetaType::Int:
    case QMetaType::LongLong: {
        int64_t number = value.toLongLong();
        mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_INT64, &number);
        break;
    }
    case QMetaType::Double: {
        double number = value.toDouble();
        mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_DOUBLE, &number);
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        const char *data = text.constData();
        mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_STRING, &data);
        break;
    }
    }
}

void MpvCore::requestProperty(const char *name, quint64 tag)
{
    if (m_mpv)
        mpv_get_property_async(m_mpv, tag, name, MPV_FORMAT_NODE);
}

void MpvCore::drainEvents()
{
    m_wakePending = false;
    while (m_mpv) {
        const mpv_event *event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handle(*event);
    }
}

void MpvCore::handle(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE:
    case MPV_EVENT_GET_PROPERTY_REPLY: {
        const auto *property = static_cast<const mpv_event_property *>(event.data);
        const quint64 tag = event.event_id == MPV_EVENT_PROPERTY_CHANGE ? 0 : event.reply_userdata;
        Q_EMIT propertyChanged(QString::fromUtf8(property->name),
                               event.error < 0 ? QVariant() : fromProperty(*property), tag);
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata > 0)
            Q_EMIT commandDone(event.reply_userdata, event.error);
        break;
    case MPV_EVENT_START_FILE:
        Q_EMIT fileStarted(
            static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        Q_EMIT fileLoaded();
        break;
    case MPV_EVENT_END_FILE: {
        const auto *end = static_cast<const mpv_event_end_file *>(event.data);
        Q_EMIT fileEnded(end->playlist_entry_id, end->reason, end->error);
        break;
    }
    case MPV_EVENT_SEEK:
        Q_EMIT seekStarted();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        Q_EMIT playbackRestarted();
        break;
    default:
        break;
    }
}
