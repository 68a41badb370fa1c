#include "collection.h"

#include "ayacount.h"
#include "sounddecoder.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace zelan::importer {

namespace {

// What is wrong with a file the decoder refused, in the words of the list (which names the
// file itself).
QString decodeFault(std::uint32_t error, const QString& detail) {
    const QString extra = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    switch (error) {
    case media::IsFolder: return QStringLiteral("is a folder, not a file");
    case media::EmptyFile: return QStringLiteral("is empty");
    case media::NotSoundFile: return QStringLiteral("is not an MP3 file: no sound was found in it");
    case media::Damaged: return QStringLiteral("is damaged: no sound could be decoded from it") + extra;
    case media::ReadFailed: return QStringLiteral("could not be read") + extra;
    case media::TooLarge: return QStringLiteral("is too long or too large to be played");
    default: return QStringLiteral("cannot be decoded (error %1)").arg(error) + extra;
    }
}

QString seconds(qint64 ms) { return QString::number(ms / 1000.0, 'f', 1) + QStringLiteral(" s"); }

} // namespace

std::vector<Fault> checkCollection(const QString& folder, const std::function<int(int, int)>& syntheticMs,
                                   const std::function<void(int, int)>& progress) {
    const std::vector<Recording> recordings = portionRecordings();
    std::vector<Fault> faults;
    QSet<QString> checked;
    const QDir dir(folder);
    int done = 0;
    for (const Recording& r : recordings) {
        ++done;
        if (checked.contains(r.file)) {
            if (progress)
                progress(done, int(recordings.size()));
            continue;
        }
        checked.insert(r.file);
        const QString path = dir.filePath(r.file);
        auto fault = [&](const QString& what, bool missing = false) { faults.push_back({r.file, what, missing}); };
        if (!QFileInfo::exists(path)) {
            fault(QStringLiteral("is missing"), true);
        } else {
            std::uint32_t error = 0;
            QString detail;
            const std::optional<media::DecodedSound> sound = media::decodeSoundFile(path, &error, &detail);
            if (!sound) {
                fault(decodeFault(error, detail));
            } else {
                const qint64 length = sound->lengthMs();
                const int synthetic = syntheticMs ? syntheticMs(r.sura, r.aya) : 0;
                const qint64 longest = synthetic > 0 ? std::max<qint64>(kLongestFloorMs, qint64(kLongestFactor) * synthetic)
                                                     : kLongestUnknownMs;
                if (length < kShortestMs)
                    fault(QStringLiteral("lasts only %1 ms").arg(length));
                else if (length > longest)
                    fault(QStringLiteral("lasts %1, longer than a recitation of this aya can be (at most %2)")
                              .arg(seconds(length), seconds(longest)));
            }
        }
        if (progress)
            progress(done, int(recordings.size()));
    }
    return faults;
}

} // namespace zelan::importer
