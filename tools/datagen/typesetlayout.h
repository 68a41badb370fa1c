#pragma once

// The pieces of the page typesetting shared by its source files: fonts and ink measurement
// (typesetfonts.cpp), line breaking and the halves of a page (typesetbreak.cpp), placement and drawing
// (typesetdraw.cpp), and the check of a finished layout against its pictures
// (typesetverify.cpp).

#include "portion.h"
#include "typesetting.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QString>

#include <optional>
#include <vector>

namespace zelan::datagen::typeset {

// The half page and its measure: lines are justified between the columns kTextLeft and
// kTextRight; a gold frame runs around the half outside them.
constexpr int kWidth = 412;
constexpr int kHeight = 354;
constexpr int kTextLeft = 13;
constexpr int kTextRight = 399;
constexpr double kMeasure = kTextRight - kTextLeft;
// The ink of the first line starts at kFirstInkRow; the last line's bottom is at most
// kLastLineBottom.
constexpr int kFirstInkRow = 10;
constexpr int kLastLineBottom = 345;
constexpr int kAvailableHeight = kLastLineBottom - kFirstInkRow;
// Blank rows kept between a line's ink and each edge of its band, and blank columns kept
// between an aya's ink and the boundary column it shares with its neighbour on the line. The
// pictures are stored as JPEG, whose ringing darkens pixels next to the ink a little.
constexpr int kRowMargin = 1;
constexpr int kColumnMargin = 2;

constexpr QRgb kPaper = 0xFFFEFFF1;    // cream: R 254, G 255, B 241
constexpr QRgb kInk = 0xFF141414;      // R 20, G 20, B 20
constexpr QRgb kGold = 0xFFE1BE6E;     // R 225, G 190, B 110: light enough never to count as ink
// The rules framing each half run through the bands of the first lines (their bands start at
// the top of the picture): a paler gold, so that JPEG's smearing of colour keeps them well
// above the ink threshold.
constexpr QRgb kPaleGold = 0xFFEAD2A0; // R 234, G 210, B 160
constexpr QRgb kBandFill = 0xFFFAF0D2; // the header bands' ground
constexpr QRgb kNameInk = 0xFF5C2C14;  // sura names in the header bands

// Whether a pixel counts as ink when the viewer highlights at `factor` (60 by default).
inline bool countsAsInk(QRgb pixel, int factor) {
    return qRed(pixel) <= 2 * factor && 100 * qGreen(pixel) < 255 * factor;
}

struct Fonts {
    QString scripture; // Amiri Quran
    QString regular;   // Amiri
    QString bold;      // Amiri Bold (same family as regular, bold weight)
};

// Registers the three Amiri faces with the application. Returns nullopt when a file is
// missing or Qt cannot use it; `error` names the file and the Debian package.
std::optional<Fonts> loadFonts(QString* error);

// The face at a pixel size, unhinted so that advances scale with the size, with grey
// antialiasing only.
QFont makeFont(const QString& family, int pixelSize, bool bold = false);

// The ink of a text drawn with the left end of its baseline at an integer point (0, 0):
// pixel columns left..right-1 and rows top..bottom (top < 0 is above the baseline). Drawn at a
// fractional x, the ink may reach one column further right.
struct Ink {
    double advance = 0;
    int left = 0, right = 0, top = 0, bottom = 0;
    bool empty = true;
};

// Measures texts in one font: advance with QFontMetricsF::horizontalAdvance, ink by drawing
// the text and scanning the pixels. Results are cached by text.
class InkMeter {
public:
    explicit InkMeter(const QFont& font);
    Ink measure(const QString& text);
    const QFont& font() const { return m_font; }
    double space() const { return m_space; }

private:
    QFont m_font;
    QFontMetricsF m_metrics;
    double m_space = 0;
    QHash<QString, Ink> m_cache;
    QImage m_scratch;
};

// A typeset unit: one word of ayaWords(), the last word of an aya carrying a no-break space and
// the aya-end sign with the aya number, so that a line never starts with the sign.
struct Word {
    QString text;
    int sora = 0;
    int aya = 0;   // 0: the opening formula
    int index = 0; // in ayaWords() of the aya's text
    bool closesAya = false;
    Ink ink; // at the size being laid out; with a sajda line, its rows are part of the ink
    // The sajda word of an aya of prostration is drawn with a line over its ink, as the
    // printed copy has it: the line's thickness in rows at the size being laid out (0: no
    // line).
    bool sajda = false;
    int sajdaLine = 0;
    // The columns the line spans, from the left end of the advance box: the ink of the word
    // itself, without the place-of-sajdah sign and the aya sign that may follow it.
    double sajdaLeft = 0, sajdaRight = 0;
};

// The rows between a sajda word's ink and the line over it, and the line's thickness, at a
// text size.
int sajdaLineGap(int pixelSize);
int sajdaLineThickness(int pixelSize);

struct SuraText {
    int number = 0;
    QString name;                // the Arabic name for the header band
    std::vector<Word> formula;   // aya 0 of suras 78 to 114
    std::vector<Word> words;     // ayas 1..n in order
    std::vector<int> ayaStart;   // first word of aya k is words[ayaStart[k - 1]]; ayaStart[n] = words.size()
    int ayaCount() const { return int(ayaStart.size()) - 1; }
};

// The words of the portion as they are drawn (ayaWords() of each aya, in display form).
std::vector<SuraText> portionText(const Portion& portion);
// A word as the scripture face draws it: the source's marks of open tanween written with the
// code points the face has glyphs for.
QString displayForm(const QString& word);
QString arabicNumber(int number);

// Measures every word of `text` with `meter`.
void measureText(std::vector<SuraText>& text, InkMeter& meter);

enum class LineKind { Header, Formula, Text };

struct Line {
    LineKind kind = LineKind::Text;
    int sura = 0;            // index into the SuraText vector
    int first = 0, last = 0; // words [first, last) of the sura's formula or words
    double natural = 0;      // width with the narrowest gaps
    bool justify = false;    // spread over the measure; else centred
    bool opensParagraph = false; // a text line that does not continue the line above
    // The measure of a text line; a header's band lies one column inside it.
    int left = kTextLeft, right = kTextRight;
    int above = 0, below = 0; // ink rows above and below the baseline row
    // Set by the vertical layout.
    int baseline = 0;
    int bottom = 0; // ylinefromtop
};

// Everything the line breaking needs at one size.
struct Style {
    const std::vector<SuraText>* text = nullptr;
    double space = 0;
    double measure = kMeasure;
    int headerAbove = 0, headerBelow = 0;
    const std::vector<Word>& words(const Line& line) const {
        const SuraText& sura = (*text)[size_t(line.sura)];
        return line.kind == LineKind::Formula ? sura.formula : sura.words;
    }
};

// The gap after `right` when `left` follows it on a line. Between two ayas the gap is wide
// enough for a boundary column in its middle with kColumnMargin blank columns on both sides,
// whatever the words' overhangs.
double gapBetween(const Word& right, const Word& left, double space);

// Vertical stacking. need(): the least baseline distance between two consecutive lines;
// stackHeight(): the rows that lines [first, last) take from kFirstInkRow to the last bottom.
int need(const Line& upper, const Line& lower);
int stackHeight(const std::vector<Line>& lines, size_t first, size_t last);

// Builds the lines of one page from a run of ayas: headers and formulas for suras that
// start, greedy (first-fit) breaking of the aya text, which gives the fewest lines.
class PageBuilder {
public:
    explicit PageBuilder(const Style& style) : m_style(style) {}
    void beginSura(int sura);
    void addAya(int sura, int aya);
    // Ends the paragraph: the next word starts a line of its own.
    void breakLine() { m_open = false; }
    const std::vector<Line>& lines() const { return m_lines; }

private:
    void addWord(int sura, int word);
    const Style& m_style;
    std::vector<Line> m_lines;
    bool m_open = false; // m_lines.back() is a text line that can take more words
};

// Where the lines of a page divide between its halves: both fit, their blank rows as alike as
// can be, and half 1 never ends with a sura header or opening formula. ok is false when there
// is no such place, or (with needSecondHalf) only one that leaves half 2 empty.
struct PageSplit {
    bool ok = false;
    size_t split = 0;
    int free1 = 0, free2 = 0; // unused rows of each half
};
PageSplit splitPage(const std::vector<Line>& lines, bool needSecondHalf);

// A run of ayas over the flattened suras 78 to 113 (position k: sura index and aya).
struct AyaPos {
    int sura;
    int aya;
};

// The final lines of the page (or, with singleHalf, the single half) holding positions
// [first, last): the first-fit lines rebroken for even spacing with the same line count, unless
// that no longer fits; justification set. Empty when even the first-fit lines do not fit.
std::vector<Line> pageLines(const Style& style, const std::vector<AyaPos>& positions, int first, int last,
                            bool singleHalf, PageSplit* split);

// Placement of a line's words, right to left from the right end of its measure (justified)
// or centred on it.
struct Placed {
    const Word* word;
    double right; // the advance box runs from right - advance to right
};
std::vector<Placed> placeLine(const Style& style, const Line& line);

// Vertical placement of the lines of one half: baselines as evenly pitched as the ink
// allows, at most `pitchCap` apart; `centre` centres the block on the half.
void placeHalfLines(std::vector<Line>& lines, int pitchCap, bool centre, int firstInkRow = kFirstInkRow,
                    int lastBottom = kLastLineBottom);
// The even pitch the lines of a half would get without a cap.
int evenPitch(const std::vector<Line>& lines);

// A half ready to draw: its lines with placed words, and the line rows it gives the viewer.
struct HalfPage {
    int page = 0, half = 0;
    std::vector<Line> lines;
    std::vector<std::vector<Placed>> placed; // per line
    std::vector<LinePiece> pieces;
    std::vector<int> pieceLine; // line of each piece
    QImage picture;
};

// The viewer rows of a placed line; fails when no boundary column between two ayas keeps
// both inks clear of it.
bool linePieces(const HalfPage& half, size_t line, int sora, std::vector<LinePiece>* out, QString* error);

struct Drawing {
    Fonts fonts;
    int headerNameSize = 0; // Amiri Bold for the sura names
};
void drawHalfFrame(QImage& picture);
// The header band of `line` with `title` (the sura's name) in its middle.
void drawHeaderBand(QImage& picture, const Drawing& drawing, const Line& line, const QString& title);
void drawLineWords(QImage& picture, const QFont& font, const std::vector<Placed>& words, int baseline);
void drawOpeningPage(QImage& picture);    // the ornamental frame around sura 1
void drawDecorationPage(QImage& picture); // page 1 half 2

// Checks a drawn half against its rows: every aya's ink inside its own band, no other ink
// there, no decoration that counts as ink. Adds to `report`; returns false with `error` on the
// first violation.
bool verifyHalf(const HalfPage& half, const QFont& font, const Drawing& drawing, const std::vector<QString>& titles,
                TypesetReport* report, QString* error);

} // namespace zelan::datagen::typeset
