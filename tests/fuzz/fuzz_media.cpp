// Feeds arbitrary bytes to the sound decoder as MP3 and as WAV: nothing may crash or read
// outside the input, and a decoded sound must hold exactly the samples its length says.

#include "sounddecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zelan::media;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (SoundType type : {SoundType::Mp3, SoundType::Wav}) {
        std::uint32_t error = 0;
        const auto sound = decodeSound(bytes, type, &error);
        if (!sound) {
            if (errorTextFor(error, QStringLiteral("fuzz")).isEmpty())
                std::abort(); // every failure must have a text for the user
            continue;
        }
        if (sound->frames <= 0 || sound->sampleRate <= 0 || (sound->channels != 1 && sound->channels != 2)
            || sound->pcm.size() != sound->frames * sound->channels * 2)
            std::abort();
    }
    return 0;
}
