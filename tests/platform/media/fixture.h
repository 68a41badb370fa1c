#pragma once

#include "wavheader.h"

#include "mediadevice.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace zelan::media::testing {

// Writes a 16-bit PCM WAV of `frames` frames: a sine with a little noise, so that the encoder
// has real work and its delay would show in the decoded length.
inline bool writeWav(const QString& path, int rate, int channels, int frames, int bits = 16) {
    QByteArray out = zelan::testing::wavHeader(rate, channels, bits, frames);
    auto put16 = [&out](quint16 v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    quint32 noise = 12345;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1103515245u + 12345u;
            const double v = 0.5 * std::sin(2 * M_PI * (440.0 + 110 * c) * i / rate) + 0.05 * ((noise >> 16) % 2000 - 1000) / 1000.0;
            if (bits == 8)
                out.append(char(quint8(128 + int(v * 127))));
            else
                put16(quint16(qint16(v * 32000)));
        }
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

inline bool lameAvailable() { return QByteArray(ZELAN_LAME).size() > 0; }

// Encodes `wav` into `mp3` with lame and the given options.
inline bool encodeMp3(const QString& wav, const QString& mp3, const QStringList& options) {
    QProcess lame;
    lame.start(QString::fromUtf8(ZELAN_LAME), QStringList{QStringLiteral("--quiet")} + options + QStringList{wav, mp3});
    return lame.waitForFinished(30000) && lame.exitStatus() == QProcess::NormalExit && lame.exitCode() == 0;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Keeps the completion notices it receives.
class NoticeReceiver : public QObject {
public:
    struct Notice {
        int notify;
        std::uint32_t deviceId;
    };
    std::vector<Notice> notices;
    // Called with each notice as it is delivered, as a window's handler would be.
    std::function<void(const Notice&)> onNotice;

    bool event(QEvent* e) override {
        if (e->type() == CompletionEvent::eventType()) {
            const auto* c = static_cast<CompletionEvent*>(e);
            notices.push_back({c->notify(), c->deviceId()});
            if (onNotice)
                onNotice(notices.back());
            return true;
        }
        return QObject::event(e);
    }
};

// Delivers posted notices without waiting.
inline void deliverNotices() { QCoreApplication::sendPostedEvents(); }

} // namespace zelan::media::testing
