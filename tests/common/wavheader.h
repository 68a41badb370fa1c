#pragma once

// The 44-byte header of a PCM WAV file, for tests, fuzz seeds and benchmarks that write their
// own sounds; the caller appends `frames` frames of samples after it.

#include <QByteArray>

namespace zelan::testing {

inline QByteArray wavHeader(int rate, int channels, int bits, int frames) {
    const int bytesPerSample = bits / 8;
    const quint32 dataSize = quint32(frames) * quint32(channels * bytesPerSample);
    QByteArray out("RIFF");
    auto put32 = [&out](quint32 v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&out](quint16 v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    put32(36 + dataSize);
    out.append("WAVEfmt ");
    put32(16);
    put16(1); // PCM
    put16(quint16(channels));
    put32(quint32(rate));
    put32(quint32(rate * channels * bytesPerSample));
    put16(quint16(channels * bytesPerSample));
    put16(quint16(bits));
    out.append("data");
    put32(dataSize);
    return out;
}

} // namespace zelan::testing
