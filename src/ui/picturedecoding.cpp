#include "picturedecoding.h"

#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <jpeglib.h>

namespace zelan::ui {
namespace {

bool sizeInRange(qint64 width, qint64 height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

QString sizeOutOfRange(qint64 width, qint64 height) {
    return QStringLiteral("picture size %1 x %2 is out of range").arg(width).arg(height);
}

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// ---------------------------------------------------------------------------------------
// JPEG through libjpeg-turbo. libjpeg reports errors by calling error_exit, which must not
// return; ours jumps back to decodeInto(), which then releases the decoder. Warnings (corrupt
// or missing data the library would otherwise paper over with grey) jump back the same way,
// so a damaged picture is never shown in part.

// More scans than any real progressive picture has; a damaged file with thousands of tiny
// scans would otherwise keep the decoder busy for minutes.
constexpr int kMaxScans = 256;

struct JpegErrorManager {
    jpeg_error_mgr base; // first member: libjpeg holds a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void failJpeg(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

void jpegErrorExit(j_common_ptr cinfo) {
    failJpeg(cinfo);
}

void jpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0) // a warning: the data is damaged
        failJpeg(cinfo);
    // level >= 0 are trace messages: ignored.
}

void jpegProgress(j_common_ptr cinfo) {
    const auto* decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompressor->input_scan_number > kMaxScans) {
        auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
        std::snprintf(manager->message, sizeof manager->message, "more than %d scans", kMaxScans);
        std::longjmp(manager->jump, 1);
    }
}

#if defined(JCS_EXTENSIONS)
// libjpeg-turbo writes pixels straight in the byte order of QImage::Format_RGB32, filling the
// fourth byte with 0xFF.
constexpr J_COLOR_SPACE kRgb32ColorSpace = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
#endif

// Runs the decoder; everything between setjmp and the end is plain C data or owned by the
// caller, so the jump back skips no destructor. On success `out` holds the whole picture.
bool decodeInto(j_decompress_ptr cinfo, JpegErrorManager* errors, QByteArrayView bytes, QImage* out) {
    cinfo->err = jpeg_std_error(&errors->base);
    errors->base.error_exit = jpegErrorExit;
    errors->base.emit_message = jpegEmitMessage;
    errors->message[0] = '\0';
    jpeg_progress_mgr progress{};
    progress.progress_monitor = jpegProgress;

    if (setjmp(errors->jump)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    cinfo->progress = &progress;
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(cinfo, TRUE);
    if (!sizeInRange(cinfo->image_width, cinfo->image_height)) {
        std::snprintf(errors->message, sizeof errors->message, "picture size %u x %u is out of range",
                      cinfo->image_width, cinfo->image_height);
        jpeg_destroy_decompress(cinfo);
        return false;
    }
#if defined(JCS_EXTENSIONS)
    cinfo->out_color_space = kRgb32ColorSpace;
    const QImage::Format format = QImage::Format_RGB32;
#else
    const bool gray = cinfo->jpeg_color_space == JCS_GRAYSCALE;
    cinfo->out_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    const QImage::Format format = gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
#endif
    jpeg_start_decompress(cinfo);

    const int width = static_cast<int>(cinfo->output_width);
    const int height = static_cast<int>(cinfo->output_height);
    *out = QImage(width, height, format);
    if (out->isNull()) {
        std::snprintf(errors->message, sizeof errors->message, "out of memory");
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    uchar* const bits = out->bits();
    const qsizetype stride = out->bytesPerLine();
    constexpr int kRowsPerCall = 16;
    JSAMPROW rows[kRowsPerCall];
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION first = cinfo->output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, cinfo->output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = bits + (first + i) * stride;
        jpeg_read_scanlines(cinfo, rows, count);
    }
    jpeg_finish_decompress(cinfo); // reads up to the end marker: a cut-off tail fails here
    jpeg_destroy_decompress(cinfo);
    return true;
}

// ---------------------------------------------------------------------------------------
// BMP headers, read only to refuse what Qt's reader would turn into a partial or absurdly
// large picture: Qt keeps the rows it could read and leaves the rest uninitialised, and its
// run-length decoder leaves skipped pixels uninitialised even in valid files.

constexpr QRgb kRgbMask = 0x00FFFFFF;

constexpr qsizetype kFileHeaderSize = 14;
constexpr quint32 kCoreHeaderSize = 12; // BITMAPCOREHEADER (OS/2 1.x)
constexpr quint32 kInfoHeaderSize = 40; // BITMAPINFOHEADER and its longer versions
enum BmpCompression : quint32 { BiRgb = 0, BiBitfields = 3, BiAlphaBitfields = 6 };

template <typename T> T readLittle(QByteArrayView bytes, qsizetype offset) {
    return qFromLittleEndian<T>(bytes.data() + offset);
}

bool checkBitmapLayout(QByteArrayView bytes, QString* error) {
    if (bytes.size() < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') {
        setError(error, QStringLiteral("not a BMP file"));
        return false;
    }
    const quint32 pixelOffset = readLittle<quint32>(bytes, 10);
    const quint32 headerSize = readLittle<quint32>(bytes, 14);
    qint64 width = 0;
    qint64 height = 0;
    quint16 bitCount = 0;
    quint32 compression = BiRgb;
    if (headerSize == kCoreHeaderSize && bytes.size() >= kFileHeaderSize + kCoreHeaderSize) {
        width = readLittle<quint16>(bytes, 18);
        height = readLittle<quint16>(bytes, 20);
        bitCount = readLittle<quint16>(bytes, 24);
    } else if (headerSize >= kInfoHeaderSize && bytes.size() >= kFileHeaderSize + kInfoHeaderSize) {
        width = readLittle<qint32>(bytes, 18);
        height = readLittle<qint32>(bytes, 22); // negative: rows stored top down
        bitCount = readLittle<quint16>(bytes, 28);
        compression = readLittle<quint32>(bytes, 30);
        if (height < 0)
            height = -height;
    } else {
        setError(error, QStringLiteral("truncated or unknown BMP header"));
        return false;
    }
    if (!sizeInRange(width, height)) {
        setError(error, sizeOutOfRange(width, height));
        return false;
    }
    if (compression != BiRgb && compression != BiBitfields && compression != BiAlphaBitfields) {
        setError(error,
                 QStringLiteral("compressed BMP pictures (method %1) are not supported").arg(compression));
        return false;
    }
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        setError(error, QStringLiteral("unsupported BMP pixel depth %1").arg(bitCount));
        return false;
    }
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    const qint64 end = qint64(pixelOffset) + stride * height;
    if (pixelOffset < kFileHeaderSize + headerSize || end > bytes.size()) {
        setError(error,
                 QStringLiteral("BMP pixel data is truncated (%1 of %2 bytes)").arg(bytes.size()).arg(end));
        return false;
    }
    return true;
}

} // namespace

std::optional<QImage> decodeJpeg(QByteArrayView bytes, QString* error) {
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("no picture data"));
        return std::nullopt;
    }
    jpeg_decompress_struct cinfo;
    JpegErrorManager errors;
    QImage image;
    if (!decodeInto(&cinfo, &errors, bytes, &image)) {
        setError(error, QString::fromLocal8Bit(errors.message));
        return std::nullopt;
    }
#if !defined(JCS_EXTENSIONS)
    image = std::move(image).convertToFormat(QImage::Format_RGB32);
#endif
    return image;
}

std::optional<QImage> decodeButtonBitmap(QByteArrayView bytes, QString* error) {
    if (!checkBitmapLayout(bytes, error))
        return std::nullopt;
    QImage decoded;
    if (!decoded.loadFromData(bytes, "BMP")) {
        setError(error, QStringLiteral("damaged BMP picture"));
        return std::nullopt;
    }
    // Colours only: whatever alpha the file holds is dropped before the key is applied.
    QImage image = std::move(decoded).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        setError(error, QStringLiteral("out of memory"));
        return std::nullopt;
    }
    // An opaque premultiplied pixel is 0xFFrrggbb and a transparent one 0, so the pixels can be
    // keyed in place. The alpha byte is set again rather than trusted from the conversion.
    image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb key = reinterpret_cast<const QRgb*>(image.constScanLine(image.height() - 1))[0] & kRgbMask;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = (line[x] & kRgbMask) == key ? 0 : line[x] | ~kRgbMask;
    }
    return image;
}

} // namespace zelan::ui
