// heardalign RECORDING.raw FILE...
//
// Finds sound files, one after another, in a recording of what a sink played (16-bit little
// endian mono at 22050 Hz, as `parec --raw --format=s16le --rate=22050 --channels=1` writes
// it) and prints one line per file: where it starts and ends in the recording (ms), the gap to
// the previous file's end (ms; negative where it began before the previous one ended), the
// correlation of its last 250 ms of sound, and whether the recording holds it sample for
// sample. Each file is looked for after the middle of the previous one.
//
// Exit status: 0 when every file was heard whole, 1 when one was not found or not heard whole,
// 2 when the recording or a file cannot be read.

#include "aligner.h"
#include "recorder.h"
#include "sounddecoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double ms(double samples) { return samples * 1000.0 / zelan::listening::kRate; }

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: heardalign RECORDING.raw FILE...\n");
        return 2;
    }
    QFile file(args[0]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "heardalign: cannot read %s: %s\n", qPrintable(args[0]), qPrintable(file.errorString()));
        return 2;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() % 2 != 0)
        std::fprintf(stderr, "heardalign: %s ends in half a sample; the last byte is left out\n", qPrintable(args[0]));
    std::vector<std::int16_t> recording(size_t(bytes.size() / 2));
    for (size_t i = 0; i < recording.size(); ++i)
        recording[i] = std::int16_t(quint16(quint8(bytes[qsizetype(2 * i)])) | quint16(quint8(bytes[qsizetype(2 * i + 1)])) << 8);

    int status = 0;
    std::printf("# file start_ms end_ms gap_ms tail_correlation exact\n");
    std::int64_t searchFrom = 0;
    std::int64_t previousEnd = -1;
    for (const QString& path : args.mid(1)) {
        std::uint32_t error = 0;
        QString detail;
        const auto decoded = zelan::media::decodeSoundFile(path, &error, &detail);
        if (!decoded) {
            std::fprintf(stderr, "heardalign: cannot decode %s (error %u%s%s)\n", qPrintable(path), error,
                         detail.isEmpty() ? "" : ": ", qPrintable(detail));
            return 2;
        }
        if (decoded->sampleRate != zelan::listening::kRate || decoded->channels != 1) {
            std::fprintf(stderr, "heardalign: %s is %d Hz with %d channel(s), not %d Hz mono\n", qPrintable(path),
                         decoded->sampleRate, decoded->channels, zelan::listening::kRate);
            return 2;
        }
        const std::span<const std::int16_t> sound(reinterpret_cast<const std::int16_t*>(decoded->pcm.constData()),
                                                  size_t(decoded->frames));
        const auto match =
            zelan::listening::findSound(recording, sound, searchFrom, std::int64_t(recording.size()));
        if (!match || match->correlation < 0.5) {
            std::printf("%s not-found\n", qPrintable(path));
            status = 1;
            continue;
        }
        const QString gap = previousEnd < 0 ? QStringLiteral("-") : QString::number(ms(double(match->start - previousEnd)), 'f', 2);
        QString exact = match->exact ? QStringLiteral("exact")
                                     : QStringLiteral("differs-from-%1ms").arg(ms(double(match->firstDifference)), 0, 'f', 2);
        std::printf("%s %.2f %.2f %s %.4f %s\n", qPrintable(path), ms(double(match->start)), ms(double(match->end())),
                    qPrintable(gap), match->tailCorrelation, qPrintable(exact));
        if (!match->heardWhole())
            status = 1;
        previousEnd = match->end();
        searchFrom = match->start + match->length / 2;
    }
    return status;
}
