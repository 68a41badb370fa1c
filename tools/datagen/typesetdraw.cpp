// Placement of the words and lines of a half, the viewer rows they give, and the drawing of
// text and decoration.

#include "typesetlayout.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zelan::datagen::typeset {

std::vector<Placed> placeLine(const Style& style, const Line& line) {
    const std::vector<Word>& words = style.words(line);
    const double rightEdge = line.right;
    const double measure = line.right - line.left;
    const int gaps = line.last - line.first - 1;
    const double slack = measure - line.natural;
    const double extra = line.justify && gaps > 0 ? slack / gaps : 0;
    double x = line.justify ? rightEdge : rightEdge - slack / 2;
    std::vector<Placed> placed;
    for (int w = line.first; w < line.last; ++w) {
        const Word& word = words[size_t(w)];
        placed.push_back({&word, x});
        x -= word.ink.advance;
        if (w + 1 < line.last)
            x -= gapBetween(word, words[size_t(w) + 1], style.space) + extra;
    }
    return placed;
}

namespace {

// The largest pitch up to `cap` that the lines' baselines can keep (lines that need more get
// more), and the rows left over.
int fitPitch(const std::vector<Line>& lines, int cap, int span, int* used) {
    auto total = [&](int pitch) {
        int sum = 0;
        for (size_t i = 1; i < lines.size(); ++i)
            sum += std::max(pitch, need(lines[i - 1], lines[i]));
        return sum;
    };
    int pitch = std::max(0, cap);
    while (pitch > 0 && total(pitch) > span)
        --pitch;
    *used = total(pitch);
    return pitch;
}

} // namespace

int evenPitch(const std::vector<Line>& lines) {
    if (lines.size() < 2)
        return 0;
    int used = 0;
    const int span = kAvailableHeight - (lines.front().above + lines.back().below + 1 + kRowMargin);
    return fitPitch(lines, kAvailableHeight, span, &used);
}

void placeHalfLines(std::vector<Line>& lines, int pitchCap, bool centre, int firstInkRow, int lastBottom) {
    if (lines.empty())
        return;
    const int span = lastBottom - firstInkRow - (lines.front().above + lines.back().below + 1 + kRowMargin);
    int used = 0;
    const int pitch = fitPitch(lines, pitchCap, span, &used);
    const int leftover = std::max(0, span - used);
    // A full half centres the few rows left over; one that the cap keeps short starts at the
    // top like the others, unless asked to centre.
    const int offset = centre || pitch < pitchCap ? leftover / 2 : 0;
    int baseline = firstInkRow + lines.front().above + offset;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            baseline += std::max(pitch, need(lines[i - 1], lines[i]));
        lines[i].baseline = baseline;
        lines[i].bottom = baseline + lines[i].below + 1 + kRowMargin;
    }
}

bool linePieces(const HalfPage& half, size_t index, int sora, std::vector<LinePiece>* out, QString* error) {
    const Line& line = half.lines[index];
    if (line.kind == LineKind::Header) {
        out->push_back({half.page, half.half, sora, -1, line.bottom, line.left + 1, line.right - 1});
        return true;
    }
    const std::vector<Placed>& placed = half.placed[index];
    struct Run {
        int aya;
        size_t first, last; // placed words [first, last)
        int inkMin, inkMax; // columns the ink may take
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < placed.size(); ++i) {
        const Word& word = *placed[i].word;
        const int origin = int(std::floor(placed[i].right - word.ink.advance));
        // Drawn at a fractional position the ink may reach one column right of its measure.
        const int inkMin = origin + word.ink.left, inkMax = origin + word.ink.right;
        if (runs.empty() || runs.back().aya != word.aya) {
            runs.push_back({word.aya, i, i + 1, inkMin, inkMax});
        } else {
            Run& run = runs.back();
            run.last = i + 1;
            run.inkMin = std::min(run.inkMin, inkMin);
            run.inkMax = std::max(run.inkMax, inkMax);
        }
    }
    std::vector<int> x2(runs.size()), x1(runs.size());
    x2.front() = std::min(kWidth - 1, std::max(int(std::ceil(placed.front().right)), runs.front().inkMax + 1 + kColumnMargin));
    const Placed& leftmost = placed.back();
    x1.back() = std::max(0, std::min(int(std::floor(leftmost.right - leftmost.word->ink.advance)),
                                     runs.back().inkMin - 1 - kColumnMargin));
    for (size_t r = 0; r + 1 < runs.size(); ++r) {
        // The boundary goes in the middle of the gap, moved if need be so that both inks keep
        // kColumnMargin blank columns from it.
        const Placed& rightEnd = placed[runs[r].last - 1];
        const Placed& leftStart = placed[runs[r + 1].first];
        const double middle = (rightEnd.right - rightEnd.word->ink.advance + leftStart.right) / 2;
        const int lowest = runs[r + 1].inkMax + 1 + kColumnMargin;
        const int highest = runs[r].inkMin - 1 - kColumnMargin;
        if (lowest > highest) {
            *error = QStringLiteral("sura %1, ayas %2 and %3 on page %4 half %5: their ink leaves no boundary "
                                    "between them")
                         .arg(sora)
                         .arg(runs[r].aya)
                         .arg(runs[r + 1].aya)
                         .arg(half.page)
                         .arg(half.half);
            return false;
        }
        const int boundary = std::clamp(int(std::floor(middle)), lowest, highest);
        x1[r] = boundary;
        x2[r + 1] = boundary;
    }
    for (size_t r = 0; r < runs.size(); ++r)
        out->push_back({half.page, half.half, sora, runs[r].aya, line.bottom, x1[r], x2[r]});
    return true;
}

void drawLineWords(QImage& picture, const QFont& font, const std::vector<Placed>& words, int baseline) {
    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(kInk));
    for (const Placed& placed : words) {
        const Word& word = *placed.word;
        const double x = placed.right - word.ink.advance;
        painter.drawText(QPointF(x, baseline), word.text);
        // The sajda line spans the word's letters in the top rows of its measured ink, on
        // whole columns inside theirs.
        if (word.sajdaLine > 0) {
            const int left = int(std::ceil(x + word.sajdaLeft));
            const int right = int(std::floor(x + word.sajdaRight)); // exclusive
            painter.fillRect(QRect(left, baseline + word.ink.top, right - left, word.sajdaLine), QColor::fromRgb(kInk));
        }
    }
}

namespace {

void diamond(QPainter& painter, QPointF centre, double rx, double ry) {
    const QPointF points[] = {centre + QPointF(rx, 0), centre + QPointF(0, ry), centre - QPointF(rx, 0),
                              centre - QPointF(0, ry)};
    painter.drawPolygon(points, 4);
}

// An eight-pointed star of two squares, the usual rosette of mushaf decoration.
void star(QPainter& painter, QPointF centre, double radius) {
    for (int turn = 0; turn < 2; ++turn) {
        QPolygonF square;
        for (int k = 0; k < 4; ++k) {
            const double angle = std::numbers::pi / 4 * turn + std::numbers::pi / 2 * k;
            square << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        }
        painter.drawPolygon(square);
    }
}

QPen goldPen(double width, QRgb colour = kGold) {
    QPen pen(QColor::fromRgb(colour), width);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A rectangle frame with a light ground between its two rules and a rosette in each corner.
void ornamentFrame(QPainter& painter, const QRectF& outer, double depth) {
    const QRectF inner = outer.adjusted(depth, depth, -depth, -depth);
    QPainterPath ground;
    ground.addRect(outer);
    ground.addRect(inner);
    painter.fillPath(ground, QColor::fromRgb(kBandFill));
    painter.setPen(goldPen(1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(outer);
    painter.drawRect(inner);
    painter.setPen(goldPen(0.7));
    painter.drawRect(outer.adjusted(2.5, 2.5, -2.5, -2.5));
    painter.drawRect(inner.adjusted(-2.5, -2.5, 2.5, 2.5));
    // A chain of small diamonds along the ground.
    painter.setBrush(QColor::fromRgb(kGold));
    painter.setPen(Qt::NoPen);
    const double mid = depth / 2;
    const double step = 14;
    for (double x = outer.left() + depth + step / 2; x < outer.right() - depth - step / 4; x += step) {
        diamond(painter, {x, outer.top() + mid}, 2.6, 2.6);
        diamond(painter, {x, outer.bottom() - mid}, 2.6, 2.6);
    }
    for (double y = outer.top() + depth + step / 2; y < outer.bottom() - depth - step / 4; y += step) {
        diamond(painter, {outer.left() + mid, y}, 2.6, 2.6);
        diamond(painter, {outer.right() - mid, y}, 2.6, 2.6);
    }
    painter.setPen(goldPen(1));
    painter.setBrush(QColor::fromRgb(kBandFill));
    const QPointF corners[] = {outer.topLeft(), outer.topRight(), outer.bottomLeft(), outer.bottomRight()};
    for (const QPointF& corner : corners) {
        const QPointF centre = corner + QPointF(corner.x() < outer.center().x() ? mid : -mid,
                                                corner.y() < outer.center().y() ? mid : -mid);
        star(painter, centre, mid - 1);
    }
}

} // namespace

void drawHalfFrame(QImage& picture) {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(goldPen(1.6, kPaleGold));
    painter.drawRect(QRectF(3.5, 3.5, kWidth - 7, kHeight - 7));
    painter.setPen(goldPen(0.8, kPaleGold));
    painter.drawRect(QRectF(6.5, 6.5, kWidth - 13, kHeight - 13));
}

void drawHeaderBand(QImage& picture, const Drawing& drawing, const Line& line, const QString& title) {
    const double top = line.baseline - line.above;
    const double height = line.above + line.below + 1;
    const int bandLeft = line.left + 1, bandRight = line.right - 1;
    const QRectF band(bandLeft + 0.5, top + 0.5, bandRight - bandLeft, height - 1);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(goldPen(1));
    painter.setBrush(QColor::fromRgb(kBandFill));
    painter.drawRect(band);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(goldPen(0.6));
    painter.drawRect(band.adjusted(2.5, 2.5, -2.5, -2.5));

    const QFont font = makeFont(drawing.fonts.bold, drawing.headerNameSize, true);
    InkMeter meter(font);
    const Ink ink = meter.measure(title);
    const double centreX = (bandLeft + bandRight + 1) / 2.0;
    const double centreY = top + height / 2;
    const double cartoucheWidth = ink.advance + 2.2 * drawing.headerNameSize;
    const QRectF cartouche(centreX - cartoucheWidth / 2, top + 3, cartoucheWidth, height - 6);
    painter.setPen(goldPen(0.9));
    painter.setBrush(QColor::fromRgb(kPaper));
    painter.drawRoundedRect(cartouche, cartouche.height() / 2, cartouche.height() / 2);
    painter.setBrush(QColor::fromRgb(kGold));
    painter.setPen(Qt::NoPen);
    const double ry = std::max(2.0, (height - 10) / 2);
    for (double side : {-1.0, 1.0}) {
        const double inner = centreX + side * (cartoucheWidth / 2 + ry + 4);
        diamond(painter, {inner, centreY}, ry, ry);
        const double outer = side < 0 ? bandLeft + 6 + ry : bandRight - 6 - ry;
        diamond(painter, {outer, centreY}, ry, ry);
        for (double x = inner + side * (2 * ry + 2); side * (outer - side * (2 * ry + 2) - x) > 0; x += side * 7)
            diamond(painter, {x, centreY}, 1.6, 1.6);
    }
    // The name's ink centred on the band.
    const int baseline = int(std::lround(centreY - (ink.top + ink.bottom + 1) / 2.0));
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(kNameInk));
    painter.drawText(QPointF(centreX - ink.advance / 2, baseline), title);
}

void drawOpeningPage(QImage& picture) {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    ornamentFrame(painter, QRectF(5.5, 5.5, kWidth - 11, kHeight - 11), 16);
}

void drawDecorationPage(QImage& picture) {
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    ornamentFrame(painter, QRectF(5.5, 5.5, kWidth - 11, kHeight - 11), 16);
    // A rosette of nested stars and rings in the middle, with a ring of petals.
    const QPointF centre(kWidth / 2.0, kHeight / 2.0);
    painter.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 3; ++ring) {
        painter.setPen(goldPen(ring == 0 ? 1.6 : 0.8));
        painter.drawEllipse(centre, 118.0 - 6 * ring, 118.0 - 6 * ring);
    }
    for (int k = 0; k < 24; ++k) {
        const double angle = 2 * std::numbers::pi * k / 24;
        const QPointF at = centre + QPointF(96 * std::cos(angle), 96 * std::sin(angle));
        painter.setPen(goldPen(0.8));
        painter.setBrush(QColor::fromRgb(kBandFill));
        painter.drawEllipse(at, 7.0, 7.0);
        painter.setBrush(QColor::fromRgb(kGold));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(at, 2.5, 2.5);
    }
    painter.setBrush(QColor::fromRgb(kBandFill));
    painter.setPen(goldPen(1.4));
    star(painter, centre, 82);
    painter.setPen(goldPen(0.8));
    star(painter, centre, 60);
    painter.setBrush(QColor::fromRgb(kGold));
    painter.setPen(Qt::NoPen);
    star(painter, centre, 24);
    painter.setBrush(QColor::fromRgb(kPaper));
    painter.drawEllipse(centre, 9.0, 9.0);
    // Small rosettes between the frame and the ring.
    painter.setPen(goldPen(0.9));
    painter.setBrush(QColor::fromRgb(kBandFill));
    const QPointF spots[] = {{60, 60}, {kWidth - 60.0, 60}, {60, kHeight - 60.0}, {kWidth - 60.0, kHeight - 60.0}};
    for (const QPointF& spot : spots)
        star(painter, spot, 16);
}

} // namespace zelan::datagen::typeset
