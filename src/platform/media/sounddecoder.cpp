#include "sounddecoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

namespace zelan::media {

namespace {

void setFailure(std::uint32_t* error, QString* detail, std::uint32_t code, const QString& text = {}) {
    if (error)
        *error = code;
    if (detail)
        *detail = text;
}

// ---- MP3 -------------------------------------------------------------------------------------

// libmpg123 reads the file from memory through these callbacks, so that it can seek to read
// the gapless tag and the length without a temporary file.
struct MemoryReader {
    const char* data = nullptr;
    qint64 size = 0;
    qint64 pos = 0;
};

mpg123_ssize_t memoryRead(void* handle, void* buffer, size_t count) {
    auto* r = static_cast<MemoryReader*>(handle);
    const qint64 n = std::min<qint64>(qint64(count), r->size - r->pos);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, r->data + r->pos, size_t(n));
    r->pos += n;
    return mpg123_ssize_t(n);
}

off_t memorySeek(void* handle, off_t offset, int whence) {
    auto* r = static_cast<MemoryReader*>(handle);
    qint64 base = 0;
    if (whence == SEEK_CUR)
        base = r->pos;
    else if (whence == SEEK_END)
        base = r->size;
    else if (whence != SEEK_SET)
        return -1;
    const qint64 target = base + qint64(offset);
    if (target < 0 || target > r->size)
        return -1;
    r->pos = target;
    return off_t(target);
}

struct HandleDeleter {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};

// Whether the data starts like an MP3 file (an ID3 tag or a frame sync), to tell a damaged
// MP3 from a file of another kind.
bool looksLikeMp3(const QByteArray& bytes) {
    if (bytes.startsWith("ID3"))
        return true;
    return bytes.size() >= 2 && quint8(bytes[0]) == 0xFF && (quint8(bytes[1]) & 0xE0) == 0xE0;
}

std::optional<DecodedSound> decodeMp3(const QByteArray& bytes, std::uint32_t* error, QString* detail) {
    static const int initialised = mpg123_init(); // a no-op in current libmpg123, kept for older ones
    Q_UNUSED(initialised);
    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleDeleter> mh(mpg123_new(nullptr, &err));
    if (!mh) {
        setFailure(error, detail, Damaged, QString::fromUtf8(mpg123_plain_strerror(err)));
        return std::nullopt;
    }
    // Quiet: damaged files would otherwise print decoder notes on standard error.
    mpg123_param(mh.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    // Every rate, mono or stereo, always as signed 16-bit.
    mpg123_format_none(mh.get());
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    MemoryReader reader{bytes.constData(), bytes.size(), 0};
    if (mpg123_replace_reader_handle(mh.get(), memoryRead, memorySeek, nullptr) != MPG123_OK
        || mpg123_open_handle(mh.get(), &reader) != MPG123_OK) {
        setFailure(error, detail, Damaged, QString::fromUtf8(mpg123_strerror(mh.get())));
        return std::nullopt;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh.get(), &rate, &channels, &encoding) != MPG123_OK || rate <= 0
        || (channels != 1 && channels != 2)) {
        setFailure(error, detail, looksLikeMp3(bytes) ? Damaged : NotSoundFile);
        return std::nullopt;
    }

    DecodedSound sound;
    sound.sampleRate = int(rate);
    sound.channels = channels;
    const qint64 bytesPerFrame = 2 * channels;
    const qint64 maxBytes = qint64(maxSoundSeconds) * rate * bytesPerFrame;
    // The length the header promises, when it tells one: reserve once instead of growing. A
    // damaged header may promise far more than the data holds, so never more than the data
    // could decode to at a generous compression ratio.
    const off_t promised = mpg123_length(mh.get());
    const qint64 plausibleBytes = std::min<qint64>(maxBytes, bytes.size() * 32);
    if (promised > 0 && qint64(promised) * bytesPerFrame <= plausibleBytes)
        sound.pcm.reserve(qsizetype(promised * bytesPerFrame));

    unsigned char buffer[16384];
    bool tooLong = false;
    for (;;) {
        size_t done = 0;
        const int ret = mpg123_read(mh.get(), buffer, sizeof buffer, &done);
        if (done > 0) {
            if (sound.pcm.size() + qint64(done) > maxBytes) {
                tooLong = true;
                break;
            }
            sound.pcm.append(reinterpret_cast<const char*>(buffer), qsizetype(done));
        }
        if (ret == MPG123_OK)
            continue;
        if (ret == MPG123_NEW_FORMAT) {
            long r = 0;
            int c = 0;
            int e = 0;
            // A stream that changes its format part way is damaged from there on.
            if (mpg123_getformat(mh.get(), &r, &c, &e) != MPG123_OK || r != rate || c != channels)
                break;
            continue;
        }
        // MPG123_DONE at the end; any error means the decodable data ends here.
        break;
    }
    if (tooLong) {
        setFailure(error, detail, TooLarge);
        return std::nullopt;
    }
    sound.pcm.truncate(sound.pcm.size() - sound.pcm.size() % bytesPerFrame);
    sound.frames = sound.pcm.size() / bytesPerFrame;
    if (sound.frames == 0) {
        setFailure(error, detail, looksLikeMp3(bytes) ? Damaged : NotSoundFile);
        return std::nullopt;
    }
    return sound;
}

// ---- WAV -------------------------------------------------------------------------------------

quint32 le32(const char* p) {
    return quint32(quint8(p[0])) | quint32(quint8(p[1])) << 8 | quint32(quint8(p[2])) << 16
           | quint32(quint8(p[3])) << 24;
}
quint16 le16(const char* p) { return quint16(quint8(p[0]) | quint8(p[1]) << 8); }

std::optional<DecodedSound> decodeWav(const QByteArray& bytes, std::uint32_t* error, QString* detail) {
    const char* d = bytes.constData();
    const qint64 size = bytes.size();
    if (size < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0) {
        setFailure(error, detail, NotSoundFile);
        return std::nullopt;
    }
    int format = 0;
    int channels = 0;
    quint32 rate = 0;
    int bits = 0;
    bool haveFmt = false;
    const char* data = nullptr;
    qint64 dataSize = 0;
    qint64 pos = 12;
    while (pos + 8 <= size) {
        const char* chunk = d + pos;
        const qint64 chunkSize = le32(chunk + 4);
        const qint64 body = pos + 8;
        const qint64 available = std::min(chunkSize, size - body); // a cut-short chunk keeps what is there
        if (std::memcmp(chunk, "fmt ", 4) == 0 && available >= 16) {
            format = le16(chunk + 8);
            channels = le16(chunk + 10);
            rate = le32(chunk + 12);
            bits = le16(chunk + 22);
            if (format == 0xFFFE && available >= 26)
                format = le16(chunk + 8 + 24); // the extensible header's sub-format
            haveFmt = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            data = d + body;
            dataSize = available;
            break;
        }
        pos = body + chunkSize + (chunkSize & 1);
    }
    if (!haveFmt || !data) {
        setFailure(error, detail, Damaged, QStringLiteral("no sound format or no sound data"));
        return std::nullopt;
    }
    if (format != 1 || (channels != 1 && channels != 2) || rate < 1000 || rate > 192000
        || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        setFailure(error, detail, UnsupportedFormat,
                   QStringLiteral("format %1, %2 channels, %3 Hz, %4 bits").arg(format).arg(channels).arg(rate).arg(bits));
        return std::nullopt;
    }
    const int inBytes = bits / 8;
    const qint64 frames = dataSize / (inBytes * channels);
    if (frames > qint64(maxSoundSeconds) * rate) {
        setFailure(error, detail, TooLarge);
        return std::nullopt;
    }
    if (frames == 0) {
        setFailure(error, detail, Damaged, QStringLiteral("no sound data"));
        return std::nullopt;
    }
    DecodedSound sound;
    sound.sampleRate = int(rate);
    sound.channels = channels;
    sound.frames = frames;
    const qint64 samples = frames * channels;
    sound.pcm.resize(qsizetype(samples * 2));
    auto* out = reinterpret_cast<qint16*>(sound.pcm.data());
    for (qint64 i = 0; i < samples; ++i) {
        const char* p = data + i * inBytes;
        switch (inBytes) {
        case 1: out[i] = qint16((int(quint8(p[0])) - 128) * 256); break;
        case 2: out[i] = qint16(le16(p)); break;
        default: out[i] = qint16(le16(p + inBytes - 2)); break; // the top 16 bits
        }
    }
    return sound;
}

} // namespace

SoundType soundTypeForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp3"))
        return SoundType::Mp3;
    if (suffix == QLatin1String("wav"))
        return SoundType::Wav;
    return SoundType::Unknown;
}

std::optional<DecodedSound> decodeSound(const QByteArray& bytes, SoundType type, std::uint32_t* error,
                                        QString* detail) {
    if (bytes.isEmpty()) {
        setFailure(error, detail, EmptyFile);
        return std::nullopt;
    }
    switch (type) {
    case SoundType::Mp3: return decodeMp3(bytes, error, detail);
    case SoundType::Wav: return decodeWav(bytes, error, detail);
    case SoundType::Unknown: break;
    }
    setFailure(error, detail, UnsupportedType);
    return std::nullopt;
}

std::optional<DecodedSound> decodeSoundFile(const QString& path, std::uint32_t* error, QString* detail) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        setFailure(error, detail, FileNotFound);
        return std::nullopt;
    }
    if (info.isDir()) {
        setFailure(error, detail, IsFolder);
        return std::nullopt;
    }
    if (!info.isFile()) {
        // A device or a pipe could block the program or never end.
        setFailure(error, detail, ReadFailed, QStringLiteral("it is not a regular file"));
        return std::nullopt;
    }
    const SoundType type = soundTypeForPath(path);
    if (type == SoundType::Unknown) {
        setFailure(error, detail, UnsupportedType, info.suffix());
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setFailure(error, detail, ReadFailed, file.errorString());
        return std::nullopt;
    }
    // Read at most one byte past the limit rather than trusting the size the file system tells.
    const QByteArray bytes = file.read(maxSoundFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        setFailure(error, detail, ReadFailed, file.errorString());
        return std::nullopt;
    }
    if (bytes.size() > maxSoundFileBytes) {
        setFailure(error, detail, TooLarge);
        return std::nullopt;
    }
    return decodeSound(bytes, type, error, detail);
}

QString errorTextFor(std::uint32_t code, const QString& path, const QString& detail) {
    const QString file = QDir::toNativeSeparators(path);
    const QString extra = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    switch (code) {
    case InvalidDeviceId:
        return QStringLiteral("No sound file is open on this device: it was closed already or never opened.");
    case FileNotFound:
        return QStringLiteral("The sound file \"%1\" was not found.").arg(file);
    case IsFolder:
        return QStringLiteral("\"%1\" is a folder, not a sound file.").arg(file);
    case EmptyFile:
        return QStringLiteral("The sound file \"%1\" is empty.").arg(file);
    case NotSoundFile:
        return QStringLiteral("\"%1\" is not a sound file of its type: no sound was found in it.").arg(file);
    case Damaged:
        return QStringLiteral("The sound file \"%1\" is damaged: no sound could be decoded from it%2.").arg(file, extra);
    case UnsupportedType:
        return QStringLiteral("\"%1\" cannot be played: only MP3 and WAV sound files can.").arg(file);
    case ReadFailed:
        return QStringLiteral("The sound file \"%1\" could not be read%2.").arg(file, extra);
    case TooLarge:
        return QStringLiteral("The sound file \"%1\" is too long to be played (more than %2 minutes or %3 MB).")
            .arg(file)
            .arg(maxSoundSeconds / 60)
            .arg(maxSoundFileBytes / (1024 * 1024));
    case NoSoundOutput:
        return QStringLiteral("The sound output could not be started to play \"%1\"%2.").arg(file, extra);
    case UnsupportedFormat:
        return QStringLiteral("The sound file \"%1\" is of a kind that cannot be played%2.").arg(file, extra);
    default: return {};
    }
}

} // namespace zelan::media
