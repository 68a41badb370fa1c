#pragma once

#include "portion.h"
#include "printedpages.h"

#include <QImage>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace zelan::datagen {

// One piece of an aya on one line of a half page: the viewer's line row. Its band runs from
// the largest smaller `ylinefromtop` among the rows of the same sura on the same half (0 when
// there is none) down to its own `ylinefromtop`, and from x1 to x2 (all inclusive). Rows
// with aya -1 are sura header lines, rows with aya 0 the opening formula of suras 78 to 114.
struct LinePiece {
    int page, half, sora, aya, ylinefromtop, x1, x2;
};

// An aya that runs from half 1 to half 2 of `page`; `firstWordOnHalf2` indexes
// ayaWords() of the aya's text with its first word on half 2.
struct SplitAya {
    int sora, aya, page;
    int firstWordOnHalf2;
};

// The line drawn over the sajda word of an aya of prostration, in its half's pixels.
struct SajdaLine {
    int sora, aya, page, half;
    int left, top, right, bottom; // inclusive
    int gap;                      // blank rows between the line and the word's own ink
};

struct TypesetResult {
    // 48 pictures of 412 x 354 pixels, Format_RGB32, indexed by halfIndex(): page 1 half 1,
    // page 1 half 2 (a decoration that navigation never shows), page 2 half 1, ...,
    // page 24 half 2.
    std::vector<QImage> halves;
    // Reading order: page, half, line from the top, right to left within the line.
    std::vector<LinePiece> pieces;
    std::vector<SplitAya> splitAyas;
    // (sora, aya) of the aya whose end closes each half that ends with an aya end, in page
    // order.
    std::vector<std::pair<int, int>> halfClosers;
    std::vector<SajdaLine> sajdaLines;
    double fontPixelSize = 0; // the size of the scripture text on pages 2 to 24
};

// What typesetPortion() measured on its own result, for the developer's report.
struct TypesetReport {
    int linesPerHalfMin = 0, linesPerHalfMax = 0;
    // The least number of blank pixel rows between a line's ink (headers too) and the line
    // above's ylinefromtop (0 for the first line), and between a line's ink and its own
    // ylinefromtop, over all lines.
    int minRowsBelowBandTop = 0, minRowsAboveLineBottom = 0;
    // The least number of blank columns between an aya's ink and the boundary column it
    // shares with the next aya on its line.
    int minColumnsToBoundary = 0;
    int crossAyaInkPixels = 0;  // ink of one aya inside the band of another
    int inkOutsideBand = 0;     // ink of an aya outside its own band
    int decorationInkPixels = 0; // non-text pixels inside aya bands that count as ink
    std::vector<double> fill;   // share of the usable height taken on each half of pages 2-24
    // The pages set with closer word spacing than the others, and the share of the face's
    // space they use.
    std::vector<std::pair<int, double>> tightPages;
    qint64 searchMs = 0, layoutMs = 0, renderMs = 0, checkMs = 0;
};

// Index of a half in TypesetResult::halves: page 1 half 1 -> 0, page 1 half 2 -> 1, page 2
// half 1 -> 2, ...
int halfIndex(int page, int half);

// Typesets the closing portion on 24 pages of two halves: sura 1 framed on page 1, suras 78
// to 113 on pages 2 to 24 half 1 as the printed copy has them (page p begins with
// `pageStarts[p - 2]`, the first aya of printed page 580 + p), in the largest scripture size
// at which every page fits its two halves, a page closing up its word spacing where it
// needs to; sura 114 alone on page 24 half 2. Needs a QGuiApplication. The same inputs
// always give the same pictures and geometry. Returns nullopt when a font file is missing or
// unusable, or when the text cannot be laid out within the pages' rules (the layout is
// checked against its own pictures before it is returned); `error` then says why. `report`,
// when given, receives the measurements of the check.
std::optional<TypesetResult> typesetPortion(const Portion& portion, const std::vector<PageStart>& pageStarts,
                                            QString* error, TypesetReport* report = nullptr);

// A debug picture: `half` with the band of every piece outlined (x1..x2, from the band top to
// ylinefromtop) and its aya number written small. The band tops follow the viewer's rule
// among `piecesOfThatHalf`.
QImage geometryOverlay(const QImage& half, const std::vector<LinePiece>& piecesOfThatHalf);

} // namespace zelan::datagen
