#pragma once

// Pictures for tests, the benchmark and the fuzz seeds: JPEG files written with libjpeg's
// compressor (so that sampling, grayscale and progression can be chosen) and BMP files
// written by hand (so that the row order, padding and header version are known exactly).
// Header-only because the fuzz build, which has no test targets, uses it too.

#include <QByteArray>
#include <QImage>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <jpeglib.h>

namespace zelan::fixtures {

enum class Chroma { Sub420, Sub422, Sub444, Gray };

struct JpegOptions {
    int quality = 90;
    Chroma chroma = Chroma::Sub420;
    bool progressive = false;
    int restartRows = 0;         // restart marker every this many MCU rows; 0 for none
    bool optimizeCoding = false; // Huffman tables fitted to the picture (Qt's "optimized write")
    bool cmyk = false;           // four-component Adobe-style file, which the decoder may refuse
};

// Encodes `image` as a JPEG file in memory. A failure inside libjpeg ends the program with
// libjpeg's message: the inputs here are the tests' own.
inline QByteArray encodeJpeg(const QImage& image, const JpegOptions& options = {}) {
    const bool gray = options.chroma == Chroma::Gray;
    const QImage source = options.cmyk ? image.convertToFormat(QImage::Format_RGBX8888)
                          : gray       ? image.convertToFormat(QImage::Format_Grayscale8)
                                       : image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(source.width());
    cinfo.image_height = static_cast<JDIMENSION>(source.height());
    cinfo.input_components = options.cmyk ? 4 : gray ? 1 : 3;
    cinfo.in_color_space = options.cmyk ? JCS_CMYK : gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (!gray && !options.cmyk) {
        cinfo.comp_info[0].h_samp_factor = options.chroma == Chroma::Sub444 ? 1 : 2;
        cinfo.comp_info[0].v_samp_factor = options.chroma == Chroma::Sub420 ? 2 : 1;
    }
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    cinfo.restart_in_rows = options.restartRows;
    cinfo.optimize_coding = options.optimizeCoding ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(source.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return bytes;
}

// Writes `image` as a BMP file: 24 bits per pixel from any image, 8 bits with its colour
// table from a Format_Indexed8 image, or 32 bits with an alpha mask (BITMAPV4HEADER) from
// the image's ARGB pixels. Rows are stored bottom up unless `topDown`.
inline QByteArray writeBmp(const QImage& image, int bitCount, bool topDown = false) {
    const bool v4 = bitCount == 32;
    const quint32 headerSize = v4 ? 108 : 40;
    const QList<QRgb> palette = bitCount == 8 ? image.colorTable() : QList<QRgb>();
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const qsizetype stride = (qsizetype(width) * bitCount + 31) / 32 * 4;
    const quint32 pixelOffset = 14 + headerSize + 4 * quint32(palette.size());

    QByteArray out;
    auto u16 = [&out](quint16 v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto u32 = [&u16](quint32 v) {
        u16(quint16(v & 0xFFFF));
        u16(quint16(v >> 16));
    };
    out.append("BM");
    u32(pixelOffset + quint32(stride * height));
    u32(0);
    u32(pixelOffset);
    u32(headerSize);
    u32(quint32(width));
    u32(quint32(topDown ? -height : height));
    u16(1);
    u16(quint16(bitCount));
    u32(v4 ? 3 : 0); // BI_BITFIELDS for the masks below, else BI_RGB
    u32(quint32(stride * height));
    u32(2835); // 72 dpi across and down
    u32(2835);
    u32(quint32(palette.size()));
    u32(0);
    if (v4) {
        for (quint32 mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
            u32(mask);
        u32(0x73524742); // LCS_sRGB
        for (int i = 0; i < 12; ++i)
            u32(0); // endpoints and gamma, unused with sRGB
    }
    for (QRgb colour : palette)
        u32(colour & 0x00FFFFFF);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        const qsizetype start = out.size();
        for (int x = 0; x < width; ++x) {
            if (bitCount == 8) {
                out.append(char(image.pixelIndex(x, y)));
                continue;
            }
            const QRgb pixel = argb.pixel(x, y);
            out.append(char(qBlue(pixel))).append(char(qGreen(pixel))).append(char(qRed(pixel)));
            if (bitCount == 32)
                out.append(char(qAlpha(pixel)));
        }
        out.append(QByteArray(stride - (out.size() - start), '\0'));
    }
    return out;
}

// Offset of the first byte after the first start-of-scan header, or -1: where the entropy
// coded data of the first scan begins.
inline qsizetype firstScanData(const QByteArray& jpeg) {
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    if (sos < 0 || sos + 4 > jpeg.size())
        return -1;
    const int length = (quint8(jpeg[sos + 2]) << 8) | quint8(jpeg[sos + 3]);
    return sos + 2 + length;
}

} // namespace zelan::fixtures
