// Typesetting of the closing portion: the choice of the scripture size, the pages, their
// pictures and the viewer's line rows.

#include "typesetting.h"

#include "printedpages.h"
#include "typesetlayout.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

namespace zelan::datagen {

using namespace typeset;

int halfIndex(int page, int half) {
    return 2 * (page - 1) + (half - 1);
}

namespace {

constexpr int kPages = 24;
constexpr int kSmallestSize = 12;
constexpr int kLargestSize = 40;
// The word spacings a page may close up to, as shares of the face's space, loosest first.
constexpr double kSpacings[] = {1.0, 0.85, 0.7};

// The sura header band: a little taller than a line of text without its marks.
void setHeaderSize(Style& style, int size) {
    const int band = int(std::lround(1.6 * size));
    style.headerAbove = band / 2;
    style.headerBelow = band - style.headerAbove - 1;
}

QString headerTitle(const SuraText& sura) {
    return QString::fromUtf8("سورة ") + sura.name;
}

// The largest size of the sura names whose ink fits the header band's cartouche.
int headerNameSize(const Fonts& fonts, const Style& style, int textSize, const std::vector<SuraText>& text) {
    const int room = style.headerAbove + style.headerBelow + 1 - 8;
    for (int size = int(std::lround(0.95 * textSize)); size > 6; --size) {
        InkMeter meter(makeFont(fonts.bold, size, true));
        int tallest = 0;
        for (const SuraText& sura : text) {
            const Ink ink = meter.measure(headerTitle(sura));
            tallest = std::max(tallest, ink.bottom - ink.top + 1);
        }
        if (tallest <= room)
            return size;
    }
    return 6;
}

// Every character must have a glyph in its face: a missing one would be drawn as an empty box.
bool checkCoverage(const Fonts& fonts, const std::vector<SuraText>& text, QString* error) {
    const QRawFont scripture = QRawFont::fromFont(makeFont(fonts.scripture, 20));
    const QRawFont bold = QRawFont::fromFont(makeFont(fonts.bold, 20, true));
    auto covered = [&](const QRawFont& font, const QString& s, int sora) {
        for (const QChar c : s) {
            if (!font.supportsCharacter(c)) {
                *error = QStringLiteral("the font %1 has no glyph for U+%2 in sura %3")
                             .arg(font.familyName())
                             .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                             .arg(sora);
                return false;
            }
        }
        return true;
    };
    for (const SuraText& sura : text) {
        if (!covered(bold, headerTitle(sura), sura.number))
            return false;
        for (const Word& word : sura.formula) {
            if (!covered(scripture, word.text, sura.number))
                return false;
        }
        for (const Word& word : sura.words) {
            if (!covered(scripture, word.text, sura.number))
                return false;
        }
    }
    return true;
}

struct Sized {
    std::unique_ptr<InkMeter> meter;
    Style style;
};

Sized measureAt(const Fonts& fonts, std::vector<SuraText>& text, int size) {
    Sized sized;
    sized.meter = std::make_unique<InkMeter>(makeFont(fonts.scripture, size));
    measureText(text, *sized.meter);
    sized.style.text = &text;
    sized.style.space = sized.meter->space();
    setHeaderSize(sized.style, size);
    return sized;
}

// Splits a page's lines into its two halves (or one, when `split` is the line count).
void addHalves(std::vector<HalfPage>& halves, int page, std::vector<Line> lines, size_t split) {
    HalfPage first, second;
    first.page = second.page = page;
    first.half = 1;
    second.half = 2;
    first.lines.assign(lines.begin(), lines.begin() + std::ptrdiff_t(split));
    second.lines.assign(lines.begin() + std::ptrdiff_t(split), lines.end());
    halves.push_back(std::move(first));
    if (!second.lines.empty())
        halves.push_back(std::move(second));
}

// Draws a laid-out half and makes its rows.
bool finishHalf(HalfPage& half, const Style& style, const std::vector<SuraText>& text, const QFont& font,
                const Drawing& drawing, std::vector<QString>* titles, QString* error) {
    half.picture = QImage(kWidth, kHeight, QImage::Format_RGB32);
    half.picture.fill(kPaper);
    if (half.page == 1)
        drawOpeningPage(half.picture);
    else
        drawHalfFrame(half.picture);
    titles->assign(half.lines.size(), QString());
    for (size_t l = 0; l < half.lines.size(); ++l) {
        const Line& line = half.lines[l];
        const SuraText& sura = text[size_t(line.sura)];
        if (line.kind == LineKind::Header) {
            (*titles)[l] = headerTitle(sura);
            half.placed.emplace_back();
            drawHeaderBand(half.picture, drawing, line, (*titles)[l]);
        } else {
            half.placed.push_back(placeLine(style, line));
            drawLineWords(half.picture, font, half.placed.back(), line.baseline);
        }
        if (!linePieces(half, l, sura.number, &half.pieces, error))
            return false;
        half.pieceLine.resize(half.pieces.size(), int(l));
    }
    return true;
}

// Page 1: sura 1 in an ornamental frame, a little larger than the other pages' text, the
// formula (its aya 1) on a line of its own and the other ayas justified on a narrower measure.
std::optional<HalfPage> openingPage(const Fonts& fonts, const std::vector<SuraText>& text, int textSize,
                                    std::vector<SuraText>* suraOne, Sized* sized, QString* error) {
    constexpr int kFirstInk = 34, kLastBottom = 318;
    constexpr int kMeasureLeft = 56, kMeasureRight = 356;
    suraOne->assign(text.begin(), text.begin() + 1);
    std::vector<AyaPos> positions;
    for (int aya = 1; aya <= (*suraOne)[0].ayaCount(); ++aya)
        positions.push_back({0, aya});
    for (int size = int(std::lround(1.3 * textSize)); size >= kSmallestSize; --size) {
        *sized = measureAt(fonts, *suraOne, size);
        sized->style.measure = kMeasureRight - kMeasureLeft;
        PageSplit split;
        std::vector<Line> lines = pageLines(sized->style, positions, 0, int(positions.size()), true, &split);
        if (lines.empty() || stackHeight(lines, 0, lines.size()) > kLastBottom - kFirstInk)
            continue;
        for (Line& line : lines) {
            if (line.kind == LineKind::Header) {
                line.left = kMeasureLeft - 30;
                line.right = kMeasureRight + 30;
            } else {
                line.left = kMeasureLeft;
                line.right = kMeasureRight;
            }
        }
        placeHalfLines(lines, int(std::lround(2.3 * size)), true, kFirstInk, kLastBottom);
        HalfPage page;
        page.page = 1;
        page.half = 1;
        page.lines = std::move(lines);
        return page;
    }
    *error = QStringLiteral("sura 1 does not fit its frame on page 1");
    return std::nullopt;
}

} // namespace

std::optional<TypesetResult> typesetPortion(const Portion& portion, const std::vector<PageStart>& pageStarts, QString* error,
                                            TypesetReport* report) {
    QString localError;
    if (!error)
        error = &localError;
    TypesetReport localReport;
    if (!report)
        report = &localReport;
    *report = TypesetReport();
    report->minRowsBelowBandTop = report->minRowsAboveLineBottom = report->minColumnsToBoundary = INT_MAX;
    QElapsedTimer timer;
    timer.start();

    const std::optional<Fonts> fonts = loadFonts(error);
    if (!fonts)
        return std::nullopt;
    // The portion as the pages hold it: sura 1, then 78 to 114 in order.
    bool complete = portion.suras.size() == 38;
    for (size_t i = 0; complete && i < portion.suras.size(); ++i)
        complete = portion.suras[i].number == (i == 0 ? 1 : int(i) + 77) && !portion.suras[i].ayas.empty();
    if (!complete || portion.openingArabic.isEmpty()) {
        *error = QStringLiteral("the text to typeset is not the closing portion (sura 1 and suras 78 to 114)");
        return std::nullopt;
    }
    std::vector<SuraText> text = portionText(portion);
    if (!checkCoverage(*fonts, text, error))
        return std::nullopt;
    std::vector<AyaPos> positions, lastSura;
    for (size_t s = 1; s < text.size(); ++s) {
        for (int aya = 1; aya <= text[s].ayaCount(); ++aya)
            (s + 1 == text.size() ? lastSura : positions).push_back({int(s), aya});
    }

    // The printed pages: page p (2 to 24) holds positions [starts[p - 2], starts[p - 1]); page
    // 24 holds suras 112 and 113 on its first half and sura 114 alone on its second.
    std::vector<int> starts;
    for (const PageStart& start : pageStarts) {
        const auto at = std::find_if(positions.begin(), positions.end(), [&](const AyaPos& p) {
            return text[size_t(p.sura)].number == start.sura && p.aya == start.aya;
        });
        if (at == positions.end()) {
            *error = QStringLiteral("printed page %1 begins with %2:%3, which is not in suras 78 to 113")
                         .arg(kFirstPrintedPage + int(starts.size()))
                         .arg(start.sura)
                         .arg(start.aya);
            return std::nullopt;
        }
        starts.push_back(int(at - positions.begin()));
    }
    starts.push_back(int(positions.size()));
    if (starts.size() != size_t(kPages) || starts.front() != 0 || !std::is_sorted(starts.begin(), starts.end()) ||
        std::adjacent_find(starts.begin(), starts.end()) != starts.end()) {
        *error = QStringLiteral("the printed page starts do not divide suras 78 to 113 into pages 2 to 24 in order");
        return std::nullopt;
    }
    auto pageRange = [&](int page) { return std::pair{starts[size_t(page - 2)], starts[size_t(page - 1)]}; };

    // 1. The largest size at which every printed page fits its two halves (page 24 its first
    // half, sura 114 the second). Printed pages differ in density; a page that does not fit
    // at that size with the usual word spacing closes its words up, step by step down to the
    // last of kSpacings, before the whole portion takes a smaller size. A larger size needs more
    // lines and has fewer per half, so the search halves the range; the layout is cheap to
    // redo at each step because the words' ink is cached.
    auto spacingFor = [&](const Style& style, int page) -> double {
        const auto [first, last] = pageRange(page);
        for (const double spacing : kSpacings) {
            Style tighter = style;
            tighter.space *= spacing;
            PageSplit split;
            if (!pageLines(tighter, positions, first, last, page == kPages, &split).empty())
                return spacing;
        }
        return 0;
    };
    auto fits = [&](int size) {
        Sized sized = measureAt(*fonts, text, size);
        PageSplit split;
        if (pageLines(sized.style, lastSura, 0, int(lastSura.size()), true, &split).empty())
            return false;
        for (int page = 2; page <= kPages; ++page) {
            if (spacingFor(sized.style, page) == 0)
                return false;
        }
        return true;
    };
    int low = kSmallestSize, high = kLargestSize + 1;
    if (!fits(low)) {
        *error = QStringLiteral("the printed pages of suras 78 to 114 do not fit pages 2 to 24 even at %1 px").arg(low);
        return std::nullopt;
    }
    while (high - low > 1) {
        const int middle = (low + high) / 2;
        (fits(middle) ? low : high) = middle;
    }
    const int size = low;
    report->searchMs = timer.restart();

    // 2. The pages at that size, each with the word spacing it needs.
    Sized sized = measureAt(*fonts, text, size);
    const Style& style = sized.style;
    std::vector<HalfPage> halves;
    std::vector<Style> pageStyles(size_t(kPages) + 1, style);
    for (int page = 2; page <= kPages; ++page) {
        const auto [first, last] = pageRange(page);
        const double spacing = spacingFor(style, page);
        pageStyles[size_t(page)].space *= spacing;
        if (spacing < 1)
            report->tightPages.emplace_back(page, spacing);
        PageSplit split;
        std::vector<Line> lines = pageLines(pageStyles[size_t(page)], positions, first, last, page == kPages, &split);
        if (lines.empty()) {
            *error = QStringLiteral("page %1 does not fit at %2 px").arg(page).arg(size);
            return std::nullopt;
        }
        addHalves(halves, page, lines, page == kPages ? lines.size() : split.split);
        if (page == kPages) {
            std::vector<Line> last114 = pageLines(style, lastSura, 0, int(lastSura.size()), true, &split);
            HalfPage half;
            half.page = kPages;
            half.half = 2;
            half.lines = std::move(last114);
            halves.push_back(std::move(half));
        }
    }
    if (halves.size() != 2 * (kPages - 1)) {
        *error = QStringLiteral("the pages do not make %1 halves").arg(2 * (kPages - 1));
        return std::nullopt;
    }
    // Lines of full halves are pitched evenly; halves that end short keep the pitch most halves
    // have, and sura 114 stands centred on the last half.
    std::vector<int> pitches;
    for (const HalfPage& half : halves) {
        if (half.lines.size() > 1 && !(half.page == kPages && half.half == 2))
            pitches.push_back(evenPitch(half.lines));
    }
    std::sort(pitches.begin(), pitches.end());
    const int pitchCap = pitches.empty() ? 0 : pitches[(pitches.size() - 1) / 2];
    for (HalfPage& half : halves) {
        placeHalfLines(half.lines, pitchCap, half.page == kPages && half.half == 2);
        report->fill.push_back(double(stackHeight(half.lines, 0, half.lines.size())) / kAvailableHeight);
        const int lines = int(half.lines.size());
        report->linesPerHalfMin = report->linesPerHalfMin == 0 ? lines : std::min(report->linesPerHalfMin, lines);
        report->linesPerHalfMax = std::max(report->linesPerHalfMax, lines);
    }

    std::vector<SuraText> suraOne;
    Sized openingSized;
    std::optional<HalfPage> opening = openingPage(*fonts, text, size, &suraOne, &openingSized, error);
    if (!opening)
        return std::nullopt;
    report->layoutMs = timer.restart();

    // 3. Pictures and rows.
    Drawing drawing;
    drawing.fonts = *fonts;
    drawing.headerNameSize = headerNameSize(*fonts, style, size, text);
    std::vector<std::vector<QString>> titles(halves.size());
    for (size_t h = 0; h < halves.size(); ++h) {
        const bool last114 = halves[h].page == kPages && halves[h].half == 2;
        const Style& halfStyle = last114 ? style : pageStyles[size_t(halves[h].page)];
        if (!finishHalf(halves[h], halfStyle, text, sized.meter->font(), drawing, &titles[h], error))
            return std::nullopt;
    }
    Drawing openingDrawing = drawing;
    openingDrawing.headerNameSize = headerNameSize(*fonts, openingSized.style, openingSized.meter->font().pixelSize(), suraOne);
    std::vector<QString> openingTitles;
    if (!finishHalf(*opening, openingSized.style, suraOne, openingSized.meter->font(), openingDrawing, &openingTitles,
                    error))
        return std::nullopt;
    QImage decoration(kWidth, kHeight, QImage::Format_RGB32);
    decoration.fill(kPaper);
    drawDecorationPage(decoration);
    report->renderMs = timer.restart();

    // 4. The check of every half against its own pictures.
    if (!verifyHalf(*opening, openingSized.meter->font(), openingDrawing, openingTitles, report, error))
        return std::nullopt;
    for (size_t h = 0; h < halves.size(); ++h) {
        if (!verifyHalf(halves[h], sized.meter->font(), drawing, titles[h], report, error))
            return std::nullopt;
    }
    report->checkMs = timer.restart();

    // 5. The result in page order.
    TypesetResult result;
    result.fontPixelSize = size;
    result.halves.resize(2 * kPages);
    result.halves[size_t(halfIndex(1, 1))] = opening->picture;
    result.halves[size_t(halfIndex(1, 2))] = decoration;
    std::vector<const HalfPage*> ordered{&*opening};
    for (const HalfPage& half : halves) {
        result.halves[size_t(halfIndex(half.page, half.half))] = half.picture;
        ordered.push_back(&half);
    }
    for (const HalfPage* half : ordered) {
        for (size_t l = 0; l < half->placed.size(); ++l) {
            for (const Placed& placed : half->placed[l]) {
                const Word& word = *placed.word;
                if (word.sajdaLine == 0)
                    continue;
                const double x = placed.right - word.ink.advance;
                const int top = half->lines[l].baseline + word.ink.top;
                result.sajdaLines.push_back({word.sora, word.aya, half->page, half->half,
                                             int(std::ceil(x + word.sajdaLeft)), top,
                                             int(std::floor(x + word.sajdaRight)) - 1, top + word.sajdaLine - 1,
                                             sajdaLineGap(size)});
            }
        }
    }
    for (size_t h = 0; h < ordered.size(); ++h) {
        const HalfPage& half = *ordered[h];
        result.pieces.insert(result.pieces.end(), half.pieces.begin(), half.pieces.end());
        const Line& lastLine = half.lines.back();
        const Placed& lastWord = half.placed.back().back();
        if (lastLine.kind != LineKind::Text) {
            *error = QStringLiteral("page %1 half %2 ends with a header or formula").arg(half.page).arg(half.half);
            return std::nullopt;
        }
        if (lastWord.word->closesAya) {
            result.halfClosers.emplace_back(lastWord.word->sora, lastWord.word->aya);
            continue;
        }
        // The aya runs over to the next half, which must be the second half of the same page
        // and begin with the aya's next word.
        const HalfPage* next = h + 1 < ordered.size() ? ordered[h + 1] : nullptr;
        const Word* firstThere = next && !next->placed.empty() && !next->placed.front().empty()
                                     ? next->placed.front().front().word
                                     : nullptr;
        if (half.half != 1 || !next || next->page != half.page || !firstThere ||
            firstThere->sora != lastWord.word->sora || firstThere->aya != lastWord.word->aya ||
            firstThere->index != lastWord.word->index + 1) {
            *error = QStringLiteral("sura %1, aya %2 runs over from page %3 half %4 to another page")
                         .arg(lastWord.word->sora)
                         .arg(lastWord.word->aya)
                         .arg(half.page)
                         .arg(half.half);
            return std::nullopt;
        }
        result.splitAyas.push_back({firstThere->sora, firstThere->aya, half.page, firstThere->index});
    }
    return result;
}

QImage geometryOverlay(const QImage& half, const std::vector<LinePiece>& piecesOfThatHalf) {
    QImage out = half.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&out);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(9);
    painter.setFont(font);
    for (const LinePiece& p : piecesOfThatHalf) {
        int top = 0;
        for (const LinePiece& q : piecesOfThatHalf) {
            if (q.page == p.page && q.half == p.half && q.sora == p.sora && q.ylinefromtop < p.ylinefromtop)
                top = std::max(top, q.ylinefromtop);
        }
        const QColor colour = p.aya < 0    ? QColor(200, 0, 200)
                              : p.aya == 0 ? QColor(0, 160, 0)
                              : p.aya % 2  ? QColor(0, 90, 255)
                                           : QColor(230, 60, 0);
        painter.setPen(colour);
        painter.drawRect(QRect(p.x1, top, p.x2 - p.x1, p.ylinefromtop - top));
        painter.drawText(QPointF(p.x1 + 2, p.ylinefromtop - 2), QString::number(p.aya));
    }
    return out;
}

} // namespace zelan::datagen
