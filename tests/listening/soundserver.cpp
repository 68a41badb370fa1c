#include "soundserver.h"

#include <QByteArray>
#include <QtGlobal>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>

#include <chrono>
#include <thread>

namespace zelan::listening {

namespace {

// Connects to `server` on a mainloop of its own, iterated without blocking for up to
// `timeout`: an address where nothing listens, or a server that hangs, ends in false.
bool answers(const QByteArray& server, std::chrono::milliseconds timeout, QString* why) {
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop) {
        *why = QStringLiteral("no PulseAudio mainloop could be made");
        return false;
    }
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "zelan sound server check");
    bool ready = false;
    if (!context) {
        *why = QStringLiteral("no PulseAudio context could be made");
    } else if (pa_context_connect(context, server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        *why = QStringLiteral("no sound server answers at %1: %2")
                   .arg(QString::fromLocal8Bit(server), QString::fromLocal8Bit(pa_strerror(pa_context_errno(context))));
    } else {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY) {
                ready = true;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state)) {
                *why = QStringLiteral("no sound server answers at %1: %2")
                           .arg(QString::fromLocal8Bit(server),
                                QString::fromLocal8Bit(pa_strerror(pa_context_errno(context))));
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                *why = QStringLiteral("the sound server at %1 did not answer within %2 ms")
                           .arg(QString::fromLocal8Bit(server))
                           .arg(timeout.count());
                break;
            }
            if (pa_mainloop_iterate(loop, 0, nullptr) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return ready;
}

} // namespace

QString soundServerAddress(QString* why) {
    const QByteArray server = qgetenv("ZELAN_SOUND_SERVER");
    if (server.isEmpty()) {
        *why = QStringLiteral("ZELAN_SOUND_SERVER is not set: no sound server for the tests");
        return {};
    }
    if (!answers(server, std::chrono::seconds(5), why))
        return {};
    return QString::fromLocal8Bit(server);
}

void useSoundServer(const QString& address) { qputenv("PULSE_SERVER", address.toLocal8Bit()); }

} // namespace zelan::listening
