// The typeset pages: the whole portion laid out and checked from the outside after the JPEG
// round trip the program folder puts it through, the same result on every run, the division
// of a page between its halves, the marks the scripture face must draw, and the debug overlay.

#include "testmain.h"

#include "sourceportion.h"
#include "typesetcheck.h"
#include "typesetlayout.h"
#include "typesetting.h"

#include <QFile>
#include <QFileInfo>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <tuple>

using namespace zelan::datagen;
using namespace zelan::datagen::typeset;

namespace {

// A line of a synthetic page: its kind and the ink rows above and below its baseline.
Line line(LineKind kind, int above, int below) {
    Line l;
    l.kind = kind;
    l.above = above;
    l.below = below;
    return l;
}

std::vector<Line> linesOf(const QString& kinds, int above, int below) {
    std::vector<Line> lines;
    for (const QChar c : kinds)
        lines.push_back(line(c == QLatin1Char('H')   ? LineKind::Header
                             : c == QLatin1Char('F') ? LineKind::Formula
                                                     : LineKind::Text,
                             above, below));
    return lines;
}

} // namespace

class TypesettingTest : public QObject {
    Q_OBJECT

    std::optional<Portion> m_portion;
    std::optional<std::vector<PageStart>> m_starts;
    std::optional<TypesetResult> m_result;
    TypesetReport m_report;

private slots:
    void initTestCase() {
        ZELAN_LOAD_SOURCE_PORTION(m_portion);
        ZELAN_LOAD_PAGE_STARTS(m_starts);
        QString error;
        m_result = typesetPortion(*m_portion, *m_starts, &error, &m_report);
        QVERIFY2(m_result, qPrintable(error));
    }

    void wholePortionKeepsThePageRules() {
        const TypesetCheck check = checkTypesetResult(*m_portion, *m_result, 85);
        QVERIFY2(check.failures.isEmpty(), qPrintable(check.failures.join(QLatin1Char('\n'))));
        QCOMPARE(check.bandEdgeInk, 0);
        QVERIFY(check.splitAyas > 0);
        // What the check of the ink found: no aya's ink in another's band, none outside its
        // own, no decoration that counts as ink, blank rows and columns at every band edge.
        QCOMPARE(m_report.crossAyaInkPixels, 0);
        QCOMPARE(m_report.inkOutsideBand, 0);
        QCOMPARE(m_report.decorationInkPixels, 0);
        QVERIFY(m_report.minRowsBelowBandTop >= 1);
        QVERIFY(m_report.minRowsAboveLineBottom >= 1);
        QVERIFY(m_report.minColumnsToBoundary >= 2);
    }

    // Every aya stands on the page the printed copy has it on: page p holds the ayas from the
    // first aya of printed page 580 + p up to the next page's first, and opens with it (with
    // its sura's title line first where it is an aya 1); sura 114 stands on page 24.
    void pagesAsPrinted() {
        QCOMPARE(m_starts->size(), size_t(23));
        auto printedPage = [&](int sora, int aya) {
            int page = 2;
            for (int p = 2; p <= 24; ++p) {
                const PageStart& start = (*m_starts)[size_t(p - 2)];
                if (std::pair(start.sura, start.aya) <= std::pair(sora, std::max(aya, 1)))
                    page = p;
            }
            return page;
        };
        QStringList misplaced;
        for (const LinePiece& piece : m_result->pieces) {
            if (piece.page >= 2 && piece.page != printedPage(piece.sora, piece.aya))
                misplaced << QStringLiteral("%1:%2 on page %3").arg(piece.sora).arg(piece.aya).arg(piece.page);
        }
        misplaced.removeDuplicates();
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QStringLiteral(", "))));
        for (int page = 2; page <= 24; ++page) {
            const PageStart& start = (*m_starts)[size_t(page - 2)];
            const auto first = std::find_if(m_result->pieces.begin(), m_result->pieces.end(),
                                            [&](const LinePiece& p) { return p.page == page && p.half == 1; });
            QVERIFY(first != m_result->pieces.end());
            QCOMPARE(std::pair(first->sora, first->aya), std::pair(start.sura, start.aya == 1 ? -1 : start.aya));
        }
    }

    // The sajda words of 84:21 and 96:19, and no other, carry a line over their ink as the
    // printed copy has them: dark across the word, paper in the rows just above it, and a
    // blank gap under it before the word's own ink.
    void sajdaWordsCarryTheirLine() {
        QCOMPARE(m_result->sajdaLines.size(), size_t(2));
        const std::pair<int, int> expected[] = {{84, 21}, {96, 19}};
        for (size_t k = 0; k < 2; ++k) {
            const SajdaLine& line = m_result->sajdaLines[k];
            QCOMPARE(std::pair(line.sora, line.aya), expected[k]);
            const QImage& half = m_result->halves[size_t(halfIndex(line.page, line.half))];
            const int width = line.right - line.left + 1;
            QVERIFY2(width >= 10, qPrintable(QString::number(width)));
            auto inkInRow = [&](int y) {
                int n = 0;
                for (int x = line.left; x <= line.right; ++x)
                    n += countsAsInk(half.pixel(x, y), 60);
                return n;
            };
            for (int y = line.top; y <= line.bottom; ++y)
                QCOMPARE(inkInRow(y), width);
            QCOMPARE(inkInRow(line.top - 1), 0);
            QCOMPARE(inkInRow(line.bottom + 1), 0);
            // The word's own ink below the gap, across most of the line.
            int below = 0;
            for (int y = line.bottom + line.gap + 1; y <= line.bottom + line.gap + 12; ++y)
                below = std::max(below, inkInRow(y));
            QVERIFY(below > 0);
        }
    }

    // The page list as the package writes it, and what the reader makes of a damaged one.
    void pageListErrors_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QByteArray pages = "export const PageList: AyahId[] = [0";
        for (int p = 1; p <= 605; ++p)
            pages += ", " + QByteArray::number(10 * p); // page p starts at aya number 10p
        pages += "] as const\n";
        QByteArray suras = "export const SurahList: FixedArray<SurahInfo, 116> = [\n  [-1, 1, 1, 1, \"\", false], // [x]\n";
        for (int s = 1; s <= 115; ++s) // sura s from aya number 55s, 55 ayas each
            suras += "  [" + QByteArray::number(55 * s) + ", 55, 1, 1, \"name [" + QByteArray::number(s) + "]\", false],\n";
        suras += "]\n";
        QTest::addRow("whole") << pages + suras << QString();
        QTest::addRow("no page list") << suras << QStringLiteral("holds no PageList array");
        QTest::addRow("not closed") << pages.left(pages.size() / 2) + suras << QStringLiteral("PageList");
        QTest::addRow("not a number") << QByteArray(pages).replace(", 20,", ", x,") + suras << QStringLiteral("\"x\"");
        QTest::addRow("page missing") << QByteArray(pages).replace(", 20,", ",") + suras << QStringLiteral("603 page starts");
        QTest::addRow("no sura list") << pages << QStringLiteral("0 suras");
    }
    void pageListErrors() {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("HafsLists.ts"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        QString error;
        const std::optional<std::vector<PageStart>> starts = loadPageStarts(path, &error);
        if (message.isEmpty()) {
            QVERIFY2(starts, qPrintable(error));
            // Printed page 582 starts at aya number 5820: sura 105 (from 5775), aya 46.
            QCOMPARE(starts->front(), (PageStart{105, 46}));
            QCOMPARE(starts->size(), size_t(23));
        } else {
            QVERIFY(!starts);
            QVERIFY2(error.contains(path) && error.contains(message), qPrintable(error));
        }
        QVERIFY(!loadPageStarts(folder.filePath(QStringLiteral("missing.ts")), &error));
        QVERIFY(error.contains(QLatin1String("quran-meta")));
    }

    void halvesFillEvenly() {
        // Pages 2 to 23: no half left mostly blank, most well filled.
        QCOMPARE(m_report.fill.size(), size_t(46));
        double sum = 0;
        for (size_t h = 0; h < 44; ++h) {
            QVERIFY2(m_report.fill[h] >= 0.6, qPrintable(QStringLiteral("half %1 is %2 full").arg(h).arg(m_report.fill[h])));
            sum += m_report.fill[h];
        }
        // The pages begin where the printed pages do, so a page lighter than the densest one
        // keeps rows to spare at the size that one allows.
        QVERIFY(sum / 44 >= 0.8);
        QVERIFY(m_result->fontPixelSize >= 16);
        // Closer word spacing is the exception, for a page or two.
        QVERIFY(m_report.tightPages.size() <= 2);
    }

    void sameInputGivesTheSameResult() {
        QString error;
        const std::optional<TypesetResult> again = typesetPortion(*m_portion, *m_starts, &error);
        QVERIFY2(again, qPrintable(error));
        QCOMPARE(again->fontPixelSize, m_result->fontPixelSize);
        QVERIFY(again->halves == m_result->halves);
        QCOMPARE(again->pieces.size(), m_result->pieces.size());
        for (size_t i = 0; i < again->pieces.size(); ++i) {
            const LinePiece& a = again->pieces[i];
            const LinePiece& b = m_result->pieces[i];
            QVERIFY(std::tie(a.page, a.half, a.sora, a.aya, a.ylinefromtop, a.x1, a.x2) ==
                    std::tie(b.page, b.half, b.sora, b.aya, b.ylinefromtop, b.x1, b.x2));
        }
        QCOMPARE(again->halfClosers, m_result->halfClosers);
        QCOMPARE(again->splitAyas.size(), m_result->splitAyas.size());
    }

    void refusesAnotherText() {
        Portion portion = *m_portion;
        portion.suras.pop_back();
        QString error;
        QVERIFY(!typesetPortion(portion, *m_starts, &error));
        QVERIFY(error.contains(QLatin1String("closing portion")));
    }

    // Lines 36 rows apart (16 + 16 + 4): 9 fit a half of 335 rows.
    void pageDividesBetweenHalves_data() {
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<bool>("needSecondHalf");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("split");
        QTest::addRow("full halves") << QStringLiteral("TTTTTTTTTTTTTTTTTT") << true << true << 9;
        QTest::addRow("even halves") << QStringLiteral("TTTTTTTTTTTT") << true << true << 6;
        QTest::addRow("header moves on with its formula") << QStringLiteral("TTTTTTTHFTTTTT") << true << true << 7;
        QTest::addRow("header keeps one text line") << QStringLiteral("TTTTTTHFTTTTTTTT") << true << true << 9;
        QTest::addRow("half 2 overflows") << QStringLiteral("TTTTTTTTTTTTTTTTTTT") << true << false << 0;
        QTest::addRow("half 2 must not stay empty") << QStringLiteral("T") << true << false << 0;
    }
    void pageDividesBetweenHalves() {
        QFETCH(QString, kinds);
        QFETCH(bool, needSecondHalf);
        QFETCH(bool, ok);
        QFETCH(int, split);
        const std::vector<Line> lines = linesOf(kinds, 16, 16);
        const PageSplit result = splitPage(lines, needSecondHalf);
        QCOMPARE(result.ok, ok);
        if (!ok)
            return;
        QCOMPARE(int(result.split), split);
        QCOMPARE(lines[result.split - 1].kind, LineKind::Text);
        QVERIFY(stackHeight(lines, 0, result.split) <= kAvailableHeight);
        QVERIFY(stackHeight(lines, result.split, lines.size()) <= kAvailableHeight);
    }

    void marksAreDrawnFromTheFacesOwnCodePoints_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("drawn");
        QTest::addRow("open fathatan") << QStringLiteral("إِذٗا") << QStringLiteral("إِذ\u08F0ا");
        QTest::addRow("open dammatan") << QStringLiteral("قُلُوبٞ") << QStringLiteral("قُلُوب\u08F1");
        QTest::addRow("open kasratan") << QStringLiteral("يَوۡمَئِذٖ") << QStringLiteral("يَوۡمَئِذ\u08F2");
        QTest::addRow("plain tanween") << QStringLiteral("أَحَدٌ") << QStringLiteral("أَحَدٌ");
    }
    void marksAreDrawnFromTheFacesOwnCodePoints() {
        QFETCH(QString, source);
        QFETCH(QString, drawn);
        QCOMPARE(displayForm(source), drawn);
    }

    void everyCharacterHasAGlyph() {
        // Drawn without font merging, a character the face lacks would be an empty box.
        QString error;
        const std::optional<Fonts> fonts = loadFonts(&error);
        QVERIFY2(fonts, qPrintable(error));
        const QRawFont face = QRawFont::fromFont(makeFont(fonts->scripture, 20));
        for (const SuraText& sura : portionText(*m_portion)) {
            for (const Word& word : sura.words) {
                for (const QChar c : word.text)
                    QVERIFY2(face.supportsCharacter(c), qPrintable(QStringLiteral("U+%1 in sura %2").arg(c.unicode(), 4, 16).arg(sura.number)));
            }
        }
    }

    void overlayOutlinesTheBands() {
        QImage blank(412, 354, QImage::Format_RGB32);
        blank.fill(Qt::white);
        // Two lines of one sura: the lower band starts at the upper line's bottom.
        const std::vector<LinePiece> pieces{{2, 1, 78, 1, 40, 200, 300}, {2, 1, 78, 2, 80, 100, 250}};
        const QImage overlay = geometryOverlay(blank, pieces);
        QCOMPARE(overlay.size(), blank.size());
        QVERIFY(overlay.pixel(250, 0) != qRgb(255, 255, 255));   // top edge of the upper band
        QVERIFY(overlay.pixel(175, 40) != qRgb(255, 255, 255));  // top edge of the lower band
        QVERIFY(overlay.pixel(100, 60) != qRgb(255, 255, 255));  // its left edge
        QVERIFY(overlay.pixel(175, 20) == qRgb(255, 255, 255));  // above the lower band
        QVERIFY(overlay.pixel(175, 60) == qRgb(255, 255, 255));  // inside it
    }
};

ZELAN_TEST_CLASS(TypesettingTest)
#include "tst_typesetting.moc"
