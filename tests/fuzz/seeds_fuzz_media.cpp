// Writes the seed sounds of fuzz_media into the folder given: small WAVs made here, and MP3s
// made from them with lame when it is installed (with and without the gapless tag).

#include "../common/wavheader.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>

#include <cmath>
#include <cstdio>

namespace {

QByteArray wav(int rate, int channels, int bits, int frames) {
    QByteArray out = zelan::testing::wavHeader(rate, channels, bits, frames);
    auto put16 = [&out](quint16 v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    for (int i = 0; i < frames * channels; ++i) {
        const double v = std::sin(i * 0.1);
        if (bits == 8)
            out.append(char(quint8(128 + int(v * 100))));
        else
            put16(quint16(qint16(v * 20000)));
    }
    return out;
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seeds_fuzz_media <corpus folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool ok = write(folder + QStringLiteral("/mono16.wav"), wav(8000, 1, 16, 400))
              && write(folder + QStringLiteral("/stereo8.wav"), wav(11025, 2, 8, 300));
    const QString source = folder + QStringLiteral("/source.wav.tmp");
    ok = ok && write(source, wav(22050, 1, 16, 3000));
    const QStringList modes[] = {{QStringLiteral("-b"), QStringLiteral("56")}, {QStringLiteral("-b"), QStringLiteral("32")}};
    int n = 0;
    for (const QStringList& mode : modes) {
        QProcess lame;
        lame.start(QStringLiteral("lame"), QStringList{QStringLiteral("--quiet")} + mode
                                               + QStringList{source, folder + QStringLiteral("/seed%1.mp3").arg(n++)});
        if (!lame.waitForFinished(30000) || lame.exitCode() != 0)
            std::fprintf(stderr, "seeds_fuzz_media: lame could not make an MP3 seed; WAV seeds only\n");
    }
    QFile::remove(source);
    return ok ? 0 : 1;
}
