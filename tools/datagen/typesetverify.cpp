// The check of each typeset half against its own pictures: every piece's ink is drawn again
// on its own to learn which pixels belong to which aya, and each band is then scanned the
// way the viewer recolours it.

#include "typesetlayout.h"

#include <QPainter>

#include <algorithm>
#include <climits>

namespace zelan::datagen::typeset {

namespace {

// The pixels one piece's ink covers, drawn alone on a strip around its line.
struct Owner {
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    bool escaped = false; // ink on the strip's edge: the strip was too small to hold it
};

bool sameAya(const LinePiece& a, const LinePiece& b) { return a.sora == b.sora && a.aya == b.aya; }

} // namespace

bool verifyHalf(const HalfPage& half, const QFont& font, const Drawing& drawing, const std::vector<QString>& titles,
                TypesetReport* report, QString* error) {
    const size_t count = half.pieces.size();
    std::vector<int> owner(size_t(kWidth) * kHeight, -1);
    std::vector<Owner> owners(count);
    QString first;
    auto fail = [&](const QString& what) {
        if (first.isEmpty())
            first = QStringLiteral("page %1 half %2: %3").arg(half.page).arg(half.half).arg(what);
    };

    // 1. Who owns each pixel.
    size_t piece = 0;
    for (size_t l = 0; l < half.lines.size(); ++l) {
        const Line& line = half.lines[l];
        constexpr int kStripRoom = 12;
        const int stripTop = line.baseline - line.above - kStripRoom;
        const int stripHeight = line.above + line.below + 1 + 2 * kStripRoom;
        // The words of each piece of the line, in the order linePieces() made the pieces.
        std::vector<std::vector<Placed>> groups;
        if (line.kind == LineKind::Header) {
            groups.emplace_back();
        } else {
            for (const Placed& placed : half.placed[l]) {
                if (groups.empty() || groups.back().back().word->aya != placed.word->aya)
                    groups.emplace_back();
                groups.back().push_back(placed);
            }
        }
        for (const std::vector<Placed>& group : groups) {
            if (piece >= count || size_t(half.pieceLine[piece]) != l) {
                *error = QStringLiteral("page %1 half %2: the rows do not match the lines").arg(half.page).arg(half.half);
                return false;
            }
            QImage strip(kWidth, stripHeight, QImage::Format_ARGB32_Premultiplied);
            strip.fill(Qt::transparent);
            Line shifted = line;
            shifted.baseline -= stripTop;
            if (line.kind == LineKind::Header)
                drawHeaderBand(strip, drawing, shifted, titles[l]);
            else
                drawLineWords(strip, font, group, shifted.baseline);
            Owner& o = owners[piece];
            for (int y = 0; y < stripHeight; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(strip.constScanLine(y));
                for (int x = 0; x < kWidth; ++x) {
                    if (qAlpha(row[x]) == 0)
                        continue;
                    const int py = stripTop + y;
                    if (y == 0 || y == stripHeight - 1 || py < 0 || py >= kHeight) {
                        o.escaped = true;
                        continue;
                    }
                    o.minX = std::min(o.minX, x);
                    o.maxX = std::max(o.maxX, x);
                    o.minY = std::min(o.minY, py);
                    o.maxY = std::max(o.maxY, py);
                    int& who = owner[size_t(py) * kWidth + size_t(x)];
                    if (who >= 0 && who != int(piece) && !sameAya(half.pieces[size_t(who)], half.pieces[piece])) {
                        ++report->crossAyaInkPixels;
                        fail(QStringLiteral("the ink of two ayas touches at (%1, %2)").arg(x).arg(py));
                    }
                    who = int(piece);
                }
            }
            if (o.escaped)
                fail(QStringLiteral("the ink of sura %1 aya %2 reaches beyond its line (rows %3 to %4)")
                         .arg(half.pieces[piece].sora)
                         .arg(half.pieces[piece].aya)
                         .arg(stripTop)
                         .arg(stripTop + stripHeight - 1));
            ++piece;
        }
    }
    if (piece != count) {
        *error = QStringLiteral("page %1 half %2: more rows than lines").arg(half.page).arg(half.half);
        return false;
    }

    // 2. Lines one under the other: each line's ink (headers too) strictly between the line
    // above's bottom and its own.
    for (size_t p = 0; p < count; ++p) {
        const Owner& o = owners[p];
        const size_t l = size_t(half.pieceLine[p]);
        if (o.minY == INT_MAX)
            continue;
        const int above = l == 0 ? 0 : half.lines[l - 1].bottom;
        report->minRowsBelowBandTop = std::min(report->minRowsBelowBandTop, o.minY - above - 1);
        report->minRowsAboveLineBottom = std::min(report->minRowsAboveLineBottom, half.lines[l].bottom - o.maxY - 1);
        if (o.minY <= above || o.maxY >= half.lines[l].bottom)
            fail(QStringLiteral("the ink of line %1 crosses a line bottom").arg(l + 1));
    }

    // 3. Each aya's band, scanned as the viewer recolours it.
    for (size_t p = 0; p < count; ++p) {
        const LinePiece& row = half.pieces[p];
        if (row.aya < 0)
            continue;
        int top = 0;
        for (const LinePiece& other : half.pieces) {
            if (other.sora == row.sora && other.ylinefromtop < row.ylinefromtop)
                top = std::max(top, other.ylinefromtop);
        }
        const Owner& o = owners[p];
        const QString where = QStringLiteral("sura %1 aya %2 (line bottom %3)").arg(row.sora).arg(row.aya).arg(row.ylinefromtop);
        if (o.minX == INT_MAX) {
            fail(where + QStringLiteral(" has no ink"));
            continue;
        }
        // Own ink strictly between the band's top and bottom rows, within its columns.
        for (int y = o.minY; y <= o.maxY; ++y) {
            for (int x = o.minX; x <= o.maxX; ++x) {
                if (owner[size_t(y) * kWidth + size_t(x)] != int(p))
                    continue;
                if (y <= top || y >= row.ylinefromtop || x < row.x1 || x > row.x2) {
                    ++report->inkOutsideBand;
                    fail(where + QStringLiteral(": ink at (%1, %2) outside its band").arg(x).arg(y));
                }
            }
        }
        int ink60 = 0;
        for (int y = top; y <= row.ylinefromtop; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(half.picture.constScanLine(y));
            for (int x = row.x1; x <= row.x2; ++x) {
                const int who = owner[size_t(y) * kWidth + size_t(x)];
                ink60 += countsAsInk(line[x], 60);
                if (who >= 0 && who != int(p) && !sameAya(half.pieces[size_t(who)], row)) {
                    ++report->crossAyaInkPixels;
                    fail(where + QStringLiteral(": ink of another row at (%1, %2)").arg(x).arg(y));
                } else if (who < 0 && countsAsInk(line[x], 100)) {
                    ++report->decorationInkPixels;
                    fail(where + QStringLiteral(": a decoration pixel at (%1, %2) counts as ink").arg(x).arg(y));
                }
            }
        }
        if (ink60 == 0)
            fail(where + QStringLiteral(": no ink at the highlight factor 60"));
        // Blank columns between the ink and a boundary shared with a neighbour on the line.
        for (const LinePiece& other : half.pieces) {
            if (other.ylinefromtop != row.ylinefromtop || sameAya(other, row))
                continue;
            if (other.x2 == row.x1)
                report->minColumnsToBoundary = std::min(report->minColumnsToBoundary, o.minX - row.x1 - 1);
            if (other.x1 == row.x2)
                report->minColumnsToBoundary = std::min(report->minColumnsToBoundary, row.x2 - o.maxX - 1);
        }
    }
    if (!first.isEmpty()) {
        *error = first;
        return false;
    }
    return true;
}

} // namespace zelan::datagen::typeset
