// The position poll of a playing recording (every millisecond while a split aya plays), on the
// null output so that it measures the device and not a sound server. Target: median <= 5 us.

#include "../tests/common/wavheader.h"

#include "mediadevice.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// An 11 s 22.05 kHz mono WAV of silence, the size of a long aya recording.
QString writeRecording(const QTemporaryDir& dir) {
    const int frames = 22050 * 11;
    QByteArray out = zelan::testing::wavHeader(22050, 1, 16, frames);
    out.append(QByteArray(qsizetype(frames) * 2, '\0'));
    const QString path = dir.filePath(QStringLiteral("a1.wav"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
        return {};
    return path;
}

void BM_StatusPositionWhilePlaying(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeRecording(dir);
    auto device = zelan::media::createDevice(zelan::media::OutputChoice::NullOutput);
    std::uint32_t id = 0;
    QObject receiver;
    if (path.isEmpty() || device->open(path, &id) != 0 || device->play(id, &receiver) != 0) {
        state.SkipWithError("could not open and play the recording");
        return;
    }
    std::uint32_t position = 0;
    for (auto _ : state) {
        device->statusPosition(id, &position);
        benchmark::DoNotOptimize(position);
    }
    device->close(id);
}
BENCHMARK(BM_StatusPositionWhilePlaying)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
