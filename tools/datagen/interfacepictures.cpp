// The pictures of the interface libraries other than the buttons, drawn with QPainter in one
// look: cream grounds framed in forest green with a pale gold inner line, green panels with
// light captions, eight-pointed stars as the only ornament. Arabic pictures read right to
// left, Russian ones left to right; every control that a picture sits behind keeps a plain
// ground, so the caption never shows through a control.

#include "interfacelibrary.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QtMath>

#include <array>
#include <vector>

namespace zelan::datagen {

namespace {

using namespace palette;

bool isArabic(UiLanguage language) { return language == UiLanguage::Arabic; }

// Arabic-Indic digits for the Arabic pictures.
QString number(UiLanguage language, int value) {
    QString text = QString::number(value);
    if (isArabic(language)) {
        for (QChar& c : text)
            c = QChar(0x0660 + (c.unicode() - u'0'));
    }
    return text;
}

QString tr(UiLanguage language, const char* arabic, const char* russian) {
    return QString::fromUtf8(isArabic(language) ? arabic : russian);
}

QImage canvas(int width, int height, const QColor& ground) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(ground);
    return image;
}

void prepare(QPainter& p, UiLanguage language) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setLayoutDirection(isArabic(language) ? Qt::RightToLeft : Qt::LeftToRight);
}

// The largest pixel size from `start` down to `minimum` at which `text` fits `box`; `stretch`
// narrows the face a little before the size goes below `minimum`.
QFont fitted(const QString& family, const QString& text, const QSizeF& box, int start, int minimum = 8,
             bool bold = false) {
    QFont font(family);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    for (int stretch : {100, 88, 78}) {
        font.setStretch(stretch);
        for (int px = start; px >= minimum; --px) {
            font.setPixelSize(px);
            // The ink, not the line height, must fit: Amiri's line height makes room for
            // stacked marks that a caption does not carry.
            const QFontMetricsF metrics(font);
            if (metrics.horizontalAdvance(text) <= box.width() && metrics.tightBoundingRect(text).height() <= box.height())
                return font;
        }
    }
    return font;
}

void text(QPainter& p, const QRectF& box, const QString& s, const QFont& font, const QColor& colour,
          Qt::Alignment align = Qt::AlignCenter) {
    p.setFont(font);
    p.setPen(colour);
    // Alignments are meant on the page as seen: without AlignAbsolute a right-to-left
    // painter would mirror them.
    p.drawText(box, int(align | Qt::AlignAbsolute) | Qt::TextSingleLine, s);
}

// Fits and draws in one step.
void caption(QPainter& p, const QRectF& box, const QString& s, const QString& family, int start, const QColor& colour,
             Qt::Alignment align = Qt::AlignCenter, bool bold = false) {
    text(p, box, s, fitted(family, s, box.size(), start, 7, bold), colour, align);
}

// A name set on one or two lines in a box too small for it on one line at a readable size.
struct Lines {
    QFont font;
    QStringList lines; // empty: nothing fits at the smallest size asked for
    qreal pitch = 0;   // from one baseline to the next
};

// The words of `text` on `count` lines, broken at the spaces that make the longest line
// shortest; no break comes before `keep` characters (a sura number stays with the first word).
QStringList broken(const QString& text, int count, int keep, const QFontMetricsF& metrics) {
    if (count == 1)
        return {text};
    QStringList best;
    qreal bestWidth = 0;
    for (qsizetype at = text.indexOf(QLatin1Char(' '), keep); at > 0;
         at = text.indexOf(QLatin1Char(' '), at + 1)) {
        const QStringList pair{text.left(at), text.mid(at + 1)};
        const qreal width = qMax(metrics.horizontalAdvance(pair[0]), metrics.horizontalAdvance(pair[1]));
        if (best.isEmpty() || width < bestWidth) {
            best = pair;
            bestWidth = width;
        }
    }
    return best;
}

// Where a line of `width` starts in a box of `boxWidth` for `align` (left, right or centred).
qreal lineStart(qreal width, qreal boxWidth, Qt::Alignment align) {
    if (align & Qt::AlignRight)
        return boxWidth - width;
    if (align & Qt::AlignHCenter)
        return (boxWidth - width) / 2;
    return 0;
}

// The ink of each line, placed across the box as `align` puts it, on a baseline at 0.
std::vector<QPainterPath> lineInk(const QFont& font, const QStringList& lines, qreal boxWidth,
                                  Qt::Alignment align) {
    const QFontMetricsF metrics(font);
    std::vector<QPainterPath> ink;
    for (const QString& line : lines) {
        QPainterPath path;
        path.addText(lineStart(metrics.horizontalAdvance(line), boxWidth, align), 0, font, line);
        ink.push_back(path);
    }
    return ink;
}

// The baseline-to-baseline distance of lines set at `px`: no less than 0.9 of the size, so
// they read as lines, and more where a descender of one line would come within a pixel of
// the ink below it. Only ink that stands over other ink counts, so a tail at the end of the
// first line does not push a short second line down.
qreal linePitch(const std::vector<QPainterPath>& ink, int px) {
    QPainterPathStroker stroker;
    stroker.setWidth(2);
    qreal pitch = 0.9 * px;
    for (size_t k = 0; k + 1 < ink.size(); ++k) {
        const QPainterPath grown = stroker.createStroke(ink[k]).united(ink[k]);
        while (grown.intersects(ink[k + 1].translated(0, pitch)))
            pitch += 0.25;
    }
    return pitch;
}

// The height of the ink from the first line's top to the last line's foot.
qreal inkHeight(const std::vector<QPainterPath>& ink, qreal pitch) {
    return qreal(ink.size() - 1) * pitch + ink.back().boundingRect().bottom() -
           ink.front().boundingRect().top();
}

// The largest face from `start` down to `minimum` px at which `text` fits `box`: on one line
// first, narrowed a little if need be, then on two lines, then narrowed further.
Lines fittedLines(const QString& family, const QString& text, const QSizeF& box, int start, int minimum,
                  bool bold, Qt::Alignment align, int keep = 0) {
    struct Attempt {
        int stretch, lines;
    };
    QFont font(family);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    for (const Attempt attempt :
         {Attempt{100, 1}, Attempt{88, 1}, Attempt{100, 2}, Attempt{88, 2}, Attempt{78, 1}, Attempt{78, 2}}) {
        font.setStretch(attempt.stretch);
        for (int px = start; px >= minimum; --px) {
            font.setPixelSize(px);
            const QFontMetricsF metrics(font);
            const QStringList lines = broken(text, attempt.lines, keep, metrics);
            if (lines.isEmpty())
                break;
            qreal widest = 0;
            for (const QString& line : lines)
                widest = qMax(widest, metrics.horizontalAdvance(line));
            if (widest > box.width())
                continue;
            const std::vector<QPainterPath> ink = lineInk(font, lines, box.width(), align);
            const qreal pitch = linePitch(ink, px);
            if (inkHeight(ink, pitch) <= box.height())
                return {font, lines, pitch};
        }
    }
    return {font, {}, 0};
}

// Draws `set` with its ink centred in `box` from top to bottom.
void drawLines(QPainter& p, const QRectF& box, const Lines& set, const QColor& colour, Qt::Alignment align) {
    if (set.lines.size() == 1)
        return text(p, box, set.lines.first(), set.font, colour, align | Qt::AlignVCenter);
    const QFontMetricsF metrics(set.font);
    const std::vector<QPainterPath> ink = lineInk(set.font, set.lines, box.width(), align);
    qreal baseline =
        box.top() + (box.height() - inkHeight(ink, set.pitch)) / 2 - ink.front().boundingRect().top();
    for (const QString& line : set.lines) {
        // A line box whose top lies one ascent above the baseline puts the baseline there.
        text(p, QRectF(box.left(), baseline - metrics.ascent(), box.width(), metrics.height()), line,
             set.font, colour, align | Qt::AlignTop);
        baseline += set.pitch;
    }
}

// An eight-pointed star: two squares turned by 45 degrees.
void star(QPainter& p, const QPointF& centre, qreal radius, const QColor& fill, const QColor& line = QColor()) {
    QPainterPath path;
    for (int square = 0; square < 2; ++square) {
        QPolygonF polygon;
        for (int k = 0; k < 4; ++k) {
            const qreal angle = qDegreesToRadians(45.0 * square + 90.0 * k);
            polygon << centre + QPointF(radius * qCos(angle), radius * qSin(angle));
        }
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    path.setFillRule(Qt::WindingFill);
    p.setPen(line.isValid() ? QPen(line, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path.simplified());
}

// The common frame: a 2 px forest line on the edge and a 1 px pale gold line inside it.
void frame(QPainter& p, const QRectF& outer, qreal radius, const QColor& fill) {
    p.setPen(QPen(kForest, 2));
    p.setBrush(fill);
    p.drawRoundedRect(outer.adjusted(1, 1, -1, -1), radius, radius);
    p.setPen(QPen(kGold, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(outer.adjusted(4.5, 4.5, -4.5, -4.5), qMax<qreal>(radius - 3, 1), qMax<qreal>(radius - 3, 1));
}

// A green panel behind a group of controls, with small section labels.
QImage panel(int width, int height) {
    QImage image = canvas(width, height, kGreen);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kForest, 2));
    p.setBrush(kGreen);
    p.drawRoundedRect(QRectF(1, 1, width - 2, height - 2), 8, 8);
    p.setPen(QPen(kPaleGold, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.5, 3.5, width - 7, height - 7), 6, 6);
    return image;
}

struct Label {
    QRectF box;
    QString text;
    Qt::Alignment align = Qt::AlignCenter;
    bool bold = false;
};

QImage panelWithLabels(UiLanguage language, int width, int height, const std::vector<Label>& labels, int px = 11) {
    QImage image = panel(width, height);
    QPainter p(&image);
    prepare(p, language);
    for (const Label& l : labels)
        caption(p, l.box, l.text, captionFamily(language), px, kLightText, l.align | Qt::AlignVCenter, l.bold);
    return image;
}

// A label box given from the left in Russian pictures and mirrored in Arabic ones.
QRectF side(UiLanguage language, int width, qreal x, qreal y, qreal w, qreal h) {
    return isArabic(language) ? QRectF(width - x - w, y, w, h) : QRectF(x, y, w, h);
}

Qt::Alignment leading(UiLanguage language) { return isArabic(language) ? Qt::AlignRight : Qt::AlignLeft; }

// --- the start window -------------------------------------------------------------------------

QImage startWindow(UiLanguage language) {
    const int w = 795, h = 582;
    QImage image = canvas(w, h, kForest);
    QPainter p(&image);
    prepare(p, language);
    frame(p, QRectF(8, 8, w - 16, h - 16), 14, kPage);
    // A band of small stars under the top edge and a quiet rosette behind the name.
    for (int x = 60; x <= w - 60; x += 45)
        star(p, QPointF(x, 40), 7, kPaleGold, kGold);
    p.setPen(QPen(kGold, 1));
    p.drawLine(QPointF(40, 58), QPointF(w - 40, 58));
    QColor faint = kPaleGold;
    faint.setAlpha(110);
    star(p, QPointF(w / 2.0, 215), 150, faint);
    star(p, QPointF(w / 2.0, 215), 118, kPage);
    star(p, QPointF(w / 2.0, 215), 112, faint);
    star(p, QPointF(w / 2.0, 215), 100, kPage);
    const QString name = tr(language, "زيلان", "Zelan");
    caption(p, QRectF(150, 130, w - 300, 150), name, headingFamily(language), isArabic(language) ? 110 : 84, kForest,
            Qt::AlignCenter, true);
    caption(p, QRectF(120, 330, w - 240, 40),
            tr(language, "قارئ الجزء الثلاثين ومرتّله", "чтение и чтец тридцатого джуза"), headingFamily(language), 30,
            kDeepGreen);
    caption(p, QRectF(120, 375, w - 240, 28),
            tr(language, "الفاتحة وسور النبإ إلى الناس", "сура «Аль-Фатиха» и суры 78–114"), captionFamily(language),
            17, kText);
    // A single rule separates the caption from the plain strip of the three buttons and the
    // close picture (y 490 and below).
    p.setPen(QPen(kGold, 1));
    p.drawLine(QPointF(120, 470), QPointF(w - 120, 470));
    star(p, QPointF(w / 2.0, 470), 6, kPaleGold, kGold);
    return image;
}

// --- headings ---------------------------------------------------------------------------------

QImage heading(UiLanguage language, const QString& top, const QString& main) {
    const int w = 121, h = 40;
    QImage image = canvas(w, h, kGreen);
    QPainter p(&image);
    prepare(p, language);
    frame(p, QRectF(0, 0, w, h), 6, kPage);
    if (top.isEmpty()) {
        caption(p, QRectF(8, 5, w - 16, h - 10), main, headingFamily(language), isArabic(language) ? 22 : 15, kForest,
                Qt::AlignCenter, true);
    } else {
        caption(p, QRectF(8, 5, w - 16, 12), top, captionFamily(language), 10, kDeepGreen);
        caption(p, QRectF(8, 16, w - 16, 19), main, headingFamily(language), 14, kForest, Qt::AlignCenter, true);
    }
    return image;
}

// The smallest size a Russian sura name is drawn at: that of the Arabic names beside it.
constexpr int kReadableNamePx = 11;

QImage suraHeading(UiLanguage language, const Sura& sura) {
    if (isArabic(language))
        return heading(language, {}, QStringLiteral("سورة ") + sura.arabicName);
    const QString top = QStringLiteral("Сура ") + QString::number(sura.number);
    const QString name = QStringLiteral("«") + sura.russianName + QStringLiteral("»");
    // Under "Сура N" there is room for one line of the name; a name that needs two takes the
    // whole frame, as the Arabic heading does.
    const QRectF nameBox(8, 16, 105, 19);
    const Lines oneLine =
        fittedLines(headingFamily(language), name, nameBox.size(), 14, kReadableNamePx, true, Qt::AlignHCenter);
    if (oneLine.lines.size() != 1 || oneLine.font.stretch() < 88) {
        const QRectF frameBox(8, 6, 105, 28);
        const Lines twoLines =
            fittedLines(headingFamily(language), name, frameBox.size(), 14, kReadableNamePx, true, Qt::AlignHCenter);
        if (twoLines.lines.size() == 2) {
            QImage image = heading(language, {}, {});
            QPainter p(&image);
            prepare(p, language);
            drawLines(p, frameBox, twoLines, kForest, Qt::AlignHCenter);
            return image;
        }
    }
    if (oneLine.lines.isEmpty())
        return heading(language, top, name);
    QImage image = heading(language, top, {});
    QPainter p(&image);
    prepare(p, language);
    drawLines(p, nameBox, oneLine, kForest, Qt::AlignHCenter);
    return image;
}

// --- list entries -----------------------------------------------------------------------------

QImage listEntry(UiLanguage language, int width, int height, const QString& main, const QString& small) {
    QImage image = canvas(width, height, kListGreen);
    QPainter p(&image);
    prepare(p, language);
    const QRectF box(4, 0, width - 8, height);
    if (small.isEmpty()) {
        caption(p, box, main, headingFamily(language), isArabic(language) ? 16 : 13, kLightText,
                leading(language) | Qt::AlignVCenter);
        return image;
    }
    const QFont mainFont = fitted(captionFamily(language), main, QSizeF(box.width() * 0.6, height), 13);
    const qreal mainWidth = QFontMetricsF(mainFont).horizontalAdvance(main);
    text(p, box, main, mainFont, kLightText, leading(language) | Qt::AlignVCenter);
    QRectF rest = box.adjusted(mainWidth + 6, 0, 0, 0);
    if (isArabic(language))
        rest = box.adjusted(0, 0, -(mainWidth + 6), 0);
    caption(p, rest, small, captionFamily(language), 9, kPaleGold, leading(language) | Qt::AlignVCenter);
    return image;
}

// A list entry holding a name at a readable size, on one line or two (no break before `keep`
// characters); the plain entry, smaller, where even two lines do not hold it.
QImage nameEntry(UiLanguage language, const QString& name, int start, int keep = 0) {
    const QRectF box(4, 0, 106, 21);
    const Lines set = fittedLines(headingFamily(language), name, box.size(), start, kReadableNamePx, false,
                                  leading(language), keep);
    if (set.lines.isEmpty())
        return listEntry(language, 114, 21, name, {});
    QImage image = canvas(114, 21, kListGreen);
    QPainter p(&image);
    prepare(p, language);
    drawLines(p, box, set, kLightText, leading(language));
    return image;
}

QImage suraName(UiLanguage language, const Sura& sura) {
    if (isArabic(language))
        return listEntry(language, 114, 21, number(language, sura.number) + QStringLiteral("  ") + sura.arabicName, {});
    const QString prefix = QString::number(sura.number) + QStringLiteral(". ");
    return nameEntry(language, prefix + sura.russianName, 13, int(prefix.size()));
}

// --- the sura index ---------------------------------------------------------------------------

constexpr int kIndexRowTop = 146;
constexpr int kIndexRowHeight = 23;
constexpr int kIndexRows = 15;

struct Column {
    int left = 0;
    int width = 0;
};

// Name, number, aya count, place: the order of the row in the language's reading direction.
std::array<Column, 4> indexColumns(UiLanguage language) {
    if (isArabic(language))
        return {{{492, 120}, {405, 74}, {311, 74}, {176, 120}}};
    return {{{176, 120}, {311, 74}, {405, 74}, {492, 120}}};
}

QImage indexBackground(UiLanguage language) {
    const int w = 800, h = 600;
    QImage image = canvas(w, h, kForest);
    QPainter p(&image);
    prepare(p, language);
    frame(p, QRectF(6, 6, w - 12, h - 12), 14, kPage);
    caption(p, QRectF(200, 30, 400, 50), tr(language, "فهرس السور", "Оглавление сур"), headingFamily(language), 36,
            kForest, Qt::AlignCenter, true);
    star(p, QPointF(w / 2.0, 92), 6, kPaleGold, kGold);
    p.setPen(QPen(kGold, 1));
    p.drawLine(QPointF(240, 92), QPointF(w / 2.0 - 12, 92));
    p.drawLine(QPointF(w / 2.0 + 12, 92), QPointF(560, 92));

    const auto columns = indexColumns(language);
    const int left = 176 - 6, right = 612 + 6;
    const int top = kIndexRowTop, bottom = kIndexRowTop + kIndexRows * kIndexRowHeight;
    // The table: a heading strip, then light stripes under the rows.
    p.setPen(Qt::NoPen);
    p.setBrush(kDeepGreen);
    p.drawRoundedRect(QRectF(left, top - 32, right - left, 28), 6, 6);
    for (int row = 0; row < kIndexRows; ++row) {
        p.setBrush(row % 2 == 0 ? kTranslationBox : QColor(236, 244, 222));
        p.drawRect(QRectF(left, top + row * kIndexRowHeight, right - left, kIndexRowHeight));
    }
    p.setPen(QPen(kForest, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(left, top - 32, right - left, bottom - top + 38), 6, 6);
    const QStringList headings = isArabic(language)
                                     ? QStringList{QStringLiteral("السورة"), QStringLiteral("رقمها"),
                                                   QStringLiteral("عدد آياتها"), QStringLiteral("مكان النزول")}
                                     : QStringList{QStringLiteral("Сура"), QStringLiteral("Номер"),
                                                   QStringLiteral("Аятов"), QStringLiteral("Место")};
    for (int c = 0; c < 4; ++c)
        caption(p, QRectF(columns[c].left, top - 30, columns[c].width, 24), headings[c], captionFamily(language), 14,
                kLightText, Qt::AlignCenter, true);
    // Thin rules between the columns, in the gaps.
    p.setPen(QPen(kPaleGold, 1));
    for (const int x : {301, 393, 486})
        p.drawLine(QPointF(x + 0.5, top), QPointF(x + 0.5, bottom));
    // The bottom stays plain for the page buttons (332 and 426, 558) and the close button
    // (678, 528); a star on each side frames the page buttons.
    star(p, QPointF(300, 575), 5, kPaleGold, kGold);
    star(p, QPointF(500, 575), 5, kPaleGold, kGold);
    return image;
}

QImage filterLabels(UiLanguage language) {
    // It sits at (672, 22) over the index background, so it starts as that part of it.
    QImage image = indexBackground(language).copy(672, 22, 120, 70);
    QPainter p(&image);
    prepare(p, language);
    // The radio buttons stand at x 90 and 91 of the picture, y 12 and 46.
    const QRectF makkan(4, 10, 82, 20), madinan(4, 44, 82, 20);
    caption(p, makkan, tr(language, "المكية", "Мекканские"), captionFamily(language), 13, kForest,
            Qt::AlignRight | Qt::AlignVCenter, true);
    caption(p, madinan, tr(language, "المدنية", "Мединские"), captionFamily(language), 13, kForest,
            Qt::AlignRight | Qt::AlignVCenter, true);
    return image;
}

QImage placeCell(UiLanguage language, bool medinan) {
    const QString label = medinan ? tr(language, "مدنية", "Мединская") : tr(language, "مكية", "Мекканская");
    QImage image = canvas(120, 23, kListGreen);
    QPainter p(&image);
    prepare(p, language);
    star(p, isArabic(language) ? QPointF(108, 11.5) : QPointF(12, 11.5), 5, kPaleGold);
    caption(p, QRectF(22, 1, 76, 21), label, headingFamily(language), isArabic(language) ? 16 : 13, kLightText);
    return image;
}

// --- print options and report -----------------------------------------------------------------

QImage printLabels(UiLanguage language) {
    // The picture stands at (17, 54) of the options window; each label is centred over its
    // input, whose left edge the window sets by language.
    const int w = 680, h = 36;
    QImage image = canvas(w, h, kOptionsGreen);
    QPainter p(&image);
    prepare(p, language);
    struct Input {
        int left, width;
        const char* ar;
        const char* ru;
    };
    const std::array<Input, 4> inputs = isArabic(language)
                                            ? std::array<Input, 4>{{{453, 142, "من سورة", ""},
                                                                    {362, 49, "الآية", ""},
                                                                    {113, 142, "إلى سورة", ""},
                                                                    {23, 49, "الآية", ""}}}
                                            : std::array<Input, 4>{{{98, 142, "", "С суры"},
                                                                    {290, 49, "", "аят"},
                                                                    {432, 142, "", "По суру"},
                                                                    {626, 49, "", "аят"}}};
    for (const Input& in : inputs) {
        const qreal centre = in.left - 17 + in.width / 2.0;
        const qreal width = qMax(in.width + 20, 70);
        const QRectF box(qBound<qreal>(0, centre - width / 2, w - width), 4, width, 22);
        caption(p, box, tr(language, in.ar, in.ru), captionFamily(language), 15, kLightText, Qt::AlignCenter, true);
        p.setPen(QPen(kPaleGold, 1));
        p.drawLine(QPointF(centre - in.width / 2.0 + 6, 30.5), QPointF(centre + in.width / 2.0 - 6, 30.5));
    }
    return image;
}

QImage printTitle(UiLanguage language) {
    QImage image = canvas(180, 34, kOptionsGreen);
    QPainter p(&image);
    prepare(p, language);
    caption(p, QRectF(4, 0, 172, 28), tr(language, "طباعة الترجمة", "Печать перевода"), headingFamily(language),
            isArabic(language) ? 24 : 17, kLightText, Qt::AlignCenter, true);
    p.setPen(QPen(kPaleGold, 1));
    p.drawLine(QPointF(30, 30.5), QPointF(150, 30.5));
    return image;
}

// Report pictures are sized for 96 dots per inch: 3.78 px to the millimetre.
QImage reportCaption(UiLanguage language, int width, int height, const QString& s, const QColor& ground, int px) {
    QImage image = canvas(width, height, ground);
    QPainter p(&image);
    prepare(p, language);
    caption(p, QRectF(6, 2, width - 12, height - 4), s, headingFamily(language), px, kForest, Qt::AlignCenter, true);
    return image;
}

QImage reportLogo(UiLanguage language) {
    QImage image = canvas(250, 110, Qt::white);
    QPainter p(&image);
    prepare(p, language);
    star(p, QPointF(125, 22), 16, kPaleGold, kGold);
    caption(p, QRectF(10, 38, 230, 46), tr(language, "زيلان", "Zelan"), headingFamily(language), 40, kForest,
            Qt::AlignCenter, true);
    caption(p, QRectF(10, 84, 230, 22), tr(language, "الجزء الثلاثون", "тридцатый джуз"), captionFamily(language), 14,
            kDeepGreen);
    return image;
}

QImage reportTitle(UiLanguage language) {
    QImage image = canvas(270, 110, Qt::white);
    QPainter p(&image);
    prepare(p, language);
    caption(p, QRectF(8, 10, 254, 44), tr(language, "ترجمة معاني الجزء الثلاثين", "Перевод смыслов"),
            headingFamily(language), 30, kForest, Qt::AlignCenter, true);
    caption(p, QRectF(8, 56, 254, 28),
            tr(language, "إلى اللغة الروسية", "тридцатого джуза на русский язык"), headingFamily(language), 20,
            kDeepGreen);
    p.setPen(QPen(kGold, 1));
    p.drawLine(QPointF(40, 94.5), QPointF(230, 94.5));
    return image;
}

// --- credits and the error popup --------------------------------------------------------------

QImage credits(UiLanguage language) {
    // Shown as a bitmap whose bottom-left colour turns transparent: a cream card with square
    // (not smoothed) corners on the key colour, so no blend of the key colour appears at the
    // card's edge; the text is smoothed on the cream alone.
    const int w = 300, h = 780;
    QImage image = canvas(w, h, kButtonKey);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath card;
    card.addRoundedRect(QRectF(0, 0, w - 1, h - 2), 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(kForest);
    p.drawPath(card);
    p.setBrush(kPage);
    p.drawRect(QRect(3, 6, w - 7, h - 14));
    prepare(p, language);
    const QString heading = headingFamily(language), body = captionFamily(language);
    const Qt::Alignment centre = Qt::AlignHCenter | Qt::AlignTop;
    int y = 18;
    auto line = [&](const QString& s, const QString& family, int px, const QColor& colour, int height, bool bold) {
        caption(p, QRectF(14, y, w - 28, height), s, family, px, colour, centre, bold);
        y += height;
    };
    auto paragraph = [&](const QString& s, int px, const QColor& colour) {
        QFont font(body);
        font.setPixelSize(px);
        p.setFont(font);
        p.setPen(colour);
        const QRectF box(18, y, w - 36, 400);
        const QRectF used = p.boundingRect(box, int(Qt::AlignHCenter | Qt::TextWordWrap), s);
        p.drawText(box, int(Qt::AlignHCenter | Qt::TextWordWrap), s);
        y += int(used.height()) + 10;
    };
    auto rule = [&]() {
        y += 6;
        star(p, QPointF(w / 2.0, y), 5, kPaleGold, kGold);
        p.setPen(QPen(kGold, 1));
        p.drawLine(QPointF(60, y + 0.5), QPointF(w / 2.0 - 10, y + 0.5));
        p.drawLine(QPointF(w / 2.0 + 10, y + 0.5), QPointF(w - 60, y + 0.5));
        y += 18;
    };
    const bool ar = isArabic(language);
    star(p, QPointF(w / 2.0, y + 16), 14, kPaleGold, kGold);
    y += 36;
    line(tr(language, "زيلان", "Zelan"), heading, 44, kForest, ar ? 78 : 60, true);
    line(tr(language, "قارئ الجزء الثلاثين ومرتّله", "чтение и чтец тридцатого джуза"), body, 13, kDeepGreen, 22, false);
    rule();
    line(tr(language, "النص والترجمة", "Текст и перевод"), heading, 18, kForest, 28, true);
    paragraph(ar ? QStringLiteral("حزمة quran-json 3.1.2 من إعداد Risan Bagja Pradana، برخصة CC BY-SA 4.0")
                 : QStringLiteral("пакет quran-json 3.1.2, автор Risan Bagja Pradana, лицензия CC BY-SA 4.0"),
              13, kText);
    paragraph(ar ? QStringLiteral("النص العثماني من موسوعة القرآن الكريم، وترجمة معاني القرآن إلى الروسية لإلمير "
                                  "كولييف، عن موقع tanzil.net")
                 : QStringLiteral("Текст по Усманскому списку из «The Noble Qur'an Encyclopedia» и перевод смыслов "
                                  "Эльмира Кулиева, через tanzil.net"),
              13, kText);
    rule();
    line(tr(language, "الخطوط", "Шрифты"), heading, 18, kForest, 28, true);
    paragraph(ar ? QStringLiteral("خطوط Amiri برخصة الخطوط المفتوحة SIL Open Font License")
                 : QStringLiteral("шрифты Amiri, лицензия SIL Open Font License"),
              13, kText);
    paragraph(ar ? QStringLiteral("خطوط DejaVu برخصتها الحرة") : QStringLiteral("шрифты DejaVu, свободная лицензия"), 13,
              kText);
    rule();
    line(tr(language, "التلاوة", "Чтение"), heading, 18, kForest, 28, true);
    paragraph(ar ? QStringLiteral("التسجيلات أصوات اصطناعية من مركّب الكلام espeak-ng (رخصة GPL 3)، وليست تلاوة "
                                  "قارئ من البشر")
                 : QStringLiteral("записи — синтетические голоса синтезатора речи espeak-ng (лицензия GPL 3), а не "
                                  "чтение живого чтеца"),
              13, kText);
    rule();
    line(tr(language, "الصفحات", "Страницы"), heading, 18, kForest, 28, true);
    paragraph(ar ? QStringLiteral("الصفحات والصور كلها مرسومة بالبرنامج نفسه من هذه المصادر")
                 : QStringLiteral("страницы и все картинки нарисованы самой программой из этих источников"),
              13, kText);
    paragraph(ar ? QStringLiteral("بدايات الصفحات كما في المصحف المطبوع، من حزمة quran-meta 6.0.17 برخصة MIT")
                 : QStringLiteral("начала страниц — как в печатном издании, по пакету quran-meta 6.0.17, лицензия MIT"),
              13, kText);
    rule();
    star(p, QPointF(w / 2.0, qMin(y + 20, h - 40)), 10, kPaleGold, kGold);
    return image;
}

QImage errorPopup(UiLanguage language) {
    const int w = 600, h = 200;
    QImage image = canvas(w, h, kForest);
    QPainter p(&image);
    prepare(p, language);
    frame(p, QRectF(0, 0, w, h), 14, kPage);
    const bool ar = isArabic(language);
    // A round mark with "!" on the leading side; the cancel button's place (486, 135,
    // 100 x 40) stays plain.
    const QPointF mark = ar ? QPointF(w - 70, 70) : QPointF(70, 70);
    p.setPen(QPen(kForest, 2));
    p.setBrush(kPaleGold);
    p.drawEllipse(mark, 32, 32);
    caption(p, QRectF(mark.x() - 30, mark.y() - 30, 60, 60), QStringLiteral("!"), captionFamily(language), 44, kForest,
            Qt::AlignCenter, true);
    const QRectF textBox = ar ? QRectF(30, 26, w - 150, 44) : QRectF(120, 26, w - 150, 44);
    caption(p, textBox, tr(language, "العدد الذي كتبته غير صالح", "Это число не подходит"), headingFamily(language),
            ar ? 34 : 26, kForest, leading(language) | Qt::AlignVCenter, true);
    const QRectF noteBox = ar ? QRectF(30, 76, w - 150, 44) : QRectF(120, 76, w - 150, 44);
    QFont note(captionFamily(language));
    note.setPixelSize(15);
    p.setFont(note);
    p.setPen(kText);
    p.drawText(noteBox, int(leading(language) | Qt::AlignAbsolute | Qt::AlignTop | Qt::TextWordWrap),
               tr(language, "اكتب عددًا صحيحًا بالأرقام، ثم حاول مرة أخرى.",
                  "Введите целое число цифрами и попробуйте ещё раз."));
    return image;
}

} // namespace

QImage reciterEntryPicture(UiLanguage language, const QString& name) {
    return nameEntry(language, name, isArabic(language) ? 16 : 13);
}

std::vector<InterfacePicture> libraryPictures(UiLanguage language, const Portion& portion) {
    std::vector<InterfacePicture> pictures;
    auto add = [&](int id, QImage image, bool bitmap = false) { pictures.push_back({id, std::move(image), bitmap}); };
    const bool ar = isArabic(language);

    add(174, startWindow(language));
    add(206, ar ? heading(language, {}, QStringLiteral("الجزء الثلاثون"))
                : heading(language, QStringLiteral("Джуз 30"), QStringLiteral("Тридцатый джуз")));
    add(207, suraHeading(language, portion.sura(1)));
    for (int sura = 78; sura <= 114; ++sura)
        add(206 + sura, suraHeading(language, portion.sura(sura)));

    // Panels, sized to their control groups; labels only where no control stands.
    add(323, panelWithLabels(language, 146, 80,
                             {{QRectF(8, 6, 130, 18), tr(language, "شدة التظليل", "Порог выделения"), Qt::AlignCenter,
                               true}}));
    add(324, panelWithLabels(language, 150, 80,
                             {{side(language, 150, 8, 8, 90, 64), tr(language, "لون التظليل", "Цвет выделения"),
                               Qt::AlignCenter, true}},
                             13));
    {
        // Recitation modes: the radio buttons stand at the right edge (Arabic) or the left
        // edge (Russian); each caption runs beside its button.
        const int w = 150, h = 290;
        const std::array<const char*, 4> ar4 = {"آية وترجمتها", "تلاوة متصلة", "آية بعد آية", "تكرار مقطع"};
        const std::array<const char*, 4> ru4 = {"Аят и перевод", "Подряд", "По одному аяту", "Повтор"};
        const std::array<int, 4> arTop = {12, 48, 85, 121};
        const std::array<int, 4> ruTop = {6, 36, 71, 107};
        std::vector<Label> labels;
        for (int k = 0; k < 4; ++k) {
            if (ar) {
                const qreal left = k == 3 ? 50 : 8; // the range button stands at (13, 112)
                labels.push_back({QRectF(left, arTop[k] - 2, 120 - left, 20), QString::fromUtf8(ar4[k]),
                                  Qt::AlignRight});
            } else {
                const qreal right = k == 3 ? 104 : 144; // the range button stands at (109, 94)
                labels.push_back({QRectF(25, ruTop[k] - 2, right - 25, 20), QString::fromUtf8(ru4[k]), Qt::AlignLeft});
            }
        }
        if (ar) {
            labels.push_back({QRectF(128, 146, 20, 26), QStringLiteral("من")});
            labels.push_back({QRectF(57, 146, 19, 26), QStringLiteral("إلى")});
            labels.push_back({QRectF(70, 176, 78, 16), QStringLiteral("تكرار الآية")});
            labels.push_back({QRectF(2, 176, 66, 16), QStringLiteral("المرات")});
            labels.push_back({QRectF(60, 229, 84, 26), QStringLiteral("التوقف بالثواني")});
        } else {
            labels.push_back({QRectF(6, 128, 18, 26), QStringLiteral("с")});
            labels.push_back({QRectF(75, 128, 21, 26), QStringLiteral("по")});
            labels.push_back({QRectF(4, 167, 80, 16), QStringLiteral("раз на аят")});
            labels.push_back({QRectF(90, 167, 58, 16), QStringLiteral("кругов")});
            labels.push_back({QRectF(8, 224, 82, 26), QStringLiteral("пауза, с")});
        }
        add(325, panelWithLabels(language, w, h, labels, 11));
    }
    add(326, panelWithLabels(language, 150, 240,
                             {{QRectF(8, 18, 134, 22), tr(language, "السورة", "Сура"), leading(language), true},
                              {QRectF(8, 102, 134, 22), tr(language, "الآية", "Аят"), leading(language), true},
                              {QRectF(8, 184, 134, 22), tr(language, "القارئ", "Чтец"), leading(language), true}},
                             13));

    for (int voice = 1; voice <= 4; ++voice)
        add(328 + voice, listEntry(language, 114, 21, tr(language, "صوت ", "Голос ") + number(language, voice),
                                   tr(language, "اصطناعي", "синтез")));
    add(333, suraName(language, portion.sura(1)));
    for (int sura = 78; sura <= 114; ++sura)
        add(332 + sura, suraName(language, portion.sura(sura)));

    add(447, placeCell(language, false));
    add(448, placeCell(language, true));
    add(449, filterLabels(language));
    add(450, listEntry(language, 120, 23, tr(language, "ترتيب النزول", "Порядок ниспослания"), {}));
    add(463, indexBackground(language));

    add(454, printLabels(language));
    add(455, printTitle(language));
    add(458, reportLogo(language));
    add(459, reportTitle(language));
    add(460, reportCaption(language, 110, 36, tr(language, "السورة", "Сура"), kPage, 20));
    add(461, reportCaption(language, 100, 36, tr(language, "الآية", "Аят"), kPage, 20));
    add(462, reportCaption(language, 160, 36, tr(language, "الترجمة الروسية", "Русский перевод"), kPage, 18));

    add(537, credits(language), true);
    add(538, errorPopup(language));
    return pictures;
}

QMap<int, QString> libraryStrings(UiLanguage language, const Portion& portion) {
    const bool ar = isArabic(language);
    QMap<int, QString> strings{
        {132, ar ? QStringLiteral("Amiri") : QStringLiteral("DejaVu Sans")},
        {133, ar ? QStringLiteral("178") : QStringLiteral("204")}, // ARABIC_CHARSET / RUSSIAN_CHARSET
        {134, QStringLiteral("12")},
        {153, ar ? QStringLiteral("السورة المختارة ليست في هذا الجزء من القرآن الكريم")
                 : QStringLiteral("Выбранная сура не входит в эту часть Корана")},
        {156, ar ? QStringLiteral("موافق") : QStringLiteral("ОК")},
        // The names of the main window's image buttons (their hover captions' words), for
        // screen readers and keyboard users: ids 170-187 in the order of the button table.
        {170, ar ? QStringLiteral("السورة الأولى") : QStringLiteral("Первая сура")},
        {171, ar ? QStringLiteral("السورة السابقة") : QStringLiteral("Предыдущая сура")},
        {172, ar ? QStringLiteral("إيقاف") : QStringLiteral("Стоп")},
        {173, ar ? QStringLiteral("تشغيل") : QStringLiteral("Слушать")},
        {174, ar ? QStringLiteral("إيقاف مؤقت") : QStringLiteral("Пауза")},
        {175, ar ? QStringLiteral("السورة التالية") : QStringLiteral("Следующая сура")},
        {176, ar ? QStringLiteral("السورة الأخيرة") : QStringLiteral("Последняя сура")},
        {177, ar ? QStringLiteral("النصف التالي") : QStringLiteral("Вперёд на полстраницы")},
        {178, ar ? QStringLiteral("النصف السابق") : QStringLiteral("Назад на полстраницы")},
        {179, ar ? QStringLiteral("رقم الصفحة") : QStringLiteral("Номер страницы")},
        {180, ar ? QStringLiteral("تكرار المقطع") : QStringLiteral("Повтор отрывка")},
        {181, ar ? QStringLiteral("صوت الترجمة") : QStringLiteral("Звук перевода")},
        {182, ar ? QStringLiteral("فهرس السور") : QStringLiteral("Указатель сур")},
        {183, ar ? QStringLiteral("طباعة الترجمة") : QStringLiteral("Печать перевода")},
        {184, ar ? QStringLiteral("مساعدة") : QStringLiteral("Справка")},
        {185, ar ? QStringLiteral("إغلاق") : QStringLiteral("Закрыть")},
        {186, ar ? QStringLiteral("فريق العمل") : QStringLiteral("Авторы")},
        {187, ar ? QStringLiteral("لون التظليل") : QStringLiteral("Цвет выделения")},
        // The other windows' image buttons and controls.
        {188, ar ? QStringLiteral("الواجهة العربية") : QStringLiteral("Арабский интерфейс")},
        {189, ar ? QStringLiteral("الواجهة الروسية") : QStringLiteral("Русский интерфейс")},
        {190, ar ? QStringLiteral("تغيير اللغة") : QStringLiteral("Сменить язык")},
        {191, ar ? QStringLiteral("السور السابقة") : QStringLiteral("Предыдущие суры")},
        {192, ar ? QStringLiteral("السور التالية") : QStringLiteral("Следующие суры")},
        {193, ar ? QStringLiteral("إلغاء") : QStringLiteral("Отмена")},
        {194, ar ? QStringLiteral("السور المكية") : QStringLiteral("Мекканские суры")},
        {195, ar ? QStringLiteral("السور المدنية") : QStringLiteral("Мединские суры")},
    };
    // Each sura's name, as the index rows show it.
    for (const Sura& sura : portion.suras) {
        strings.insert(600 + sura.number, ar ? QStringLiteral("سورة ") + sura.arabicName
                                             : QStringLiteral("Сура %1 «%2»").arg(sura.number).arg(sura.russianName));
    }
    return strings;
}

} // namespace zelan::datagen
