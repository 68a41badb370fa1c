#include "typesetcheck.h"

#include "jpegwriter.h"

#include <QDir>
#include <QImage>

#include <algorithm>
#include <map>
#include <set>

namespace zelan::datagen {

namespace {

bool countsAsInk(QRgb pixel, int factor) {
    return qRed(pixel) <= 2 * factor && 100 * qGreen(pixel) < 255 * factor;
}

int bandTop(const std::vector<LinePiece>& pieces, const LinePiece& p) {
    int top = 0;
    for (const LinePiece& q : pieces) {
        if (q.page == p.page && q.half == p.half && q.sora == p.sora && q.ylinefromtop < p.ylinefromtop)
            top = std::max(top, q.ylinefromtop);
    }
    return top;
}

} // namespace

TypesetCheck checkTypesetResult(const Portion& portion, const TypesetResult& result, int jpegQuality) {
    TypesetCheck check;
    auto fail = [&](const QString& what) {
        if (check.failures.size() < 50)
            check.failures << what;
    };
    constexpr int kHalves = 48;
    if (result.halves.size() != kHalves) {
        fail(QStringLiteral("%1 pictures instead of %2").arg(result.halves.size()).arg(kHalves));
        return check;
    }
    std::vector<QImage> pictures;
    for (const QImage& picture : result.halves) {
        if (picture.size() != QSize(412, 354) || picture.format() != QImage::Format_RGB32)
            fail(QStringLiteral("a picture is not 412 x 354 RGB32"));
        pictures.push_back(jpegQuality > 0 ? QImage::fromData(encodeJpeg(picture, jpegQuality), "JPG")
                                                 .convertToFormat(QImage::Format_RGB32)
                                           : picture);
    }
    if (!check.failures.isEmpty())
        return check;

    // Geometry and order.
    const std::vector<LinePiece>& pieces = result.pieces;
    check.rows = int(pieces.size());
    std::map<std::tuple<int, int, int>, std::vector<const LinePiece*>> lines;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const LinePiece& p = pieces[i];
        const QString where = QStringLiteral("row %1 (page %2 half %3 sura %4 aya %5)").arg(i).arg(p.page).arg(p.half).arg(p.sora).arg(p.aya);
        if (p.page < 1 || p.page > 24 || p.half < 1 || p.half > 2 || !(0 <= p.x1 && p.x1 < p.x2 && p.x2 <= 411) ||
            !(0 < p.ylinefromtop && p.ylinefromtop <= 353)) {
            fail(where + QStringLiteral(" lies outside the picture"));
            continue;
        }
        if (i > 0) {
            const LinePiece& q = pieces[i - 1];
            const auto before = std::make_tuple(q.page, q.half, q.ylinefromtop, -q.x1);
            const auto after = std::make_tuple(p.page, p.half, p.ylinefromtop, -p.x1);
            if (!(before < after))
                fail(where + QStringLiteral(" is out of reading order"));
        }
        lines[{p.page, p.half, p.ylinefromtop}].push_back(&p);
    }
    for (auto& [key, row] : lines) {
        std::sort(row.begin(), row.end(), [](const LinePiece* a, const LinePiece* b) { return a->x1 < b->x1; });
        for (size_t i = 1; i < row.size(); ++i) {
            if (row[i - 1]->x2 > row[i]->x1)
                fail(QStringLiteral("rows overlap on page %1 half %2 at y %3").arg(std::get<0>(key)).arg(std::get<1>(key)).arg(std::get<2>(key)));
        }
    }

    // The suras in their places; every aya present and on one page.
    std::map<std::pair<int, int>, std::set<std::pair<int, int>>> halvesOfAya;
    for (const LinePiece& p : pieces) {
        if ((p.page == 1) != (p.sora == 1) || (p.page == 1 && p.half == 2))
            fail(QStringLiteral("sura %1 on page %2 half %3").arg(p.sora).arg(p.page).arg(p.half));
        if ((p.sora == 114) != (p.page == 24 && p.half == 2))
            fail(QStringLiteral("sura %1 on page %2 half %3").arg(p.sora).arg(p.page).arg(p.half));
        halvesOfAya[{p.sora, p.aya}].insert({p.page, p.half});
    }
    const auto first78 = std::find_if(pieces.begin(), pieces.end(), [](const LinePiece& p) { return p.sora == 78; });
    if (first78 == pieces.end() || first78->page != 2 || first78->half != 1)
        fail(QStringLiteral("sura 78 does not begin page 2"));
    for (const Sura& sura : portion.suras) {
        for (int aya = -1; aya <= int(sura.ayas.size()); ++aya) {
            if (sura.number == 1 && aya == 0)
                continue;
            const auto found = halvesOfAya.find({sura.number, aya});
            if (found == halvesOfAya.end()) {
                fail(QStringLiteral("sura %1 aya %2 has no row").arg(sura.number).arg(aya));
                continue;
            }
            if (aya >= 0 && found->second.begin()->first != found->second.rbegin()->first)
                fail(QStringLiteral("sura %1 aya %2 crosses a page").arg(sura.number).arg(aya));
            if (aya < 0 && found->second.size() != 1)
                fail(QStringLiteral("sura %1 has its header on two halves").arg(sura.number));
        }
    }

    // Half ends: an aya end or an aya running over to half 2 of the same page; never a header
    // or formula.
    std::map<std::pair<int, int>, std::vector<const LinePiece*>> byHalf;
    for (const LinePiece& p : pieces)
        byHalf[{p.page, p.half}].push_back(&p);
    std::vector<std::pair<int, int>> closers;
    std::vector<SplitAya> splits;
    for (auto it = byHalf.begin(); it != byHalf.end(); ++it) {
        const LinePiece& last = *it->second.back();
        if (last.aya < 1) {
            fail(QStringLiteral("page %1 half %2 ends with a header or formula").arg(last.page).arg(last.half));
            continue;
        }
        const auto next = std::next(it);
        const bool runsOver = next != byHalf.end() && next->second.front()->sora == last.sora &&
                              next->second.front()->aya == last.aya;
        if (!runsOver) {
            closers.emplace_back(last.sora, last.aya);
        } else {
            if (next->first.first != last.page)
                fail(QStringLiteral("sura %1 aya %2 runs over to the next page").arg(last.sora).arg(last.aya));
            splits.push_back({last.sora, last.aya, last.page, -1});
        }
    }
    if (closers != result.halfClosers)
        fail(QStringLiteral("the half closers differ from the rows' half ends"));
    check.splitAyas = int(result.splitAyas.size());
    if (splits.size() != result.splitAyas.size()) {
        fail(QStringLiteral("%1 split ayas listed, %2 found in the rows").arg(result.splitAyas.size()).arg(splits.size()));
    } else {
        for (size_t i = 0; i < splits.size(); ++i) {
            const SplitAya& s = result.splitAyas[i];
            const int words = int(ayaWords(portion.aya(s.sora, s.aya).arabic).size());
            if (s.sora != splits[i].sora || s.aya != splits[i].aya || s.page != splits[i].page ||
                s.firstWordOnHalf2 < 1 || s.firstWordOnHalf2 >= words)
                fail(QStringLiteral("split aya %1:%2 is listed wrongly").arg(s.sora).arg(s.aya));
        }
    }
    if (!byHalf.count({24, 1}) || byHalf.at({24, 1}).back()->sora != 113 ||
        byHalf.at({24, 1}).back()->aya != int(portion.sura(113).ayas.size()))
        fail(QStringLiteral("page 24 half 1 does not end with sura 113"));

    // Pixels, as the viewer recolours the bands.
    for (const LinePiece& p : pieces) {
        if (p.aya < 0 || p.page < 1 || p.page > 24 || p.half < 1 || p.half > 2 || p.x1 < 0 || p.x2 > 411 ||
            p.ylinefromtop < 1 || p.ylinefromtop > 353)
            continue;
        const QImage& picture = pictures[size_t(halfIndex(p.page, p.half))];
        const int top = bandTop(pieces, p);
        int ink = 0;
        for (int y = top; y <= p.ylinefromtop; ++y) {
            for (int x = p.x1; x <= p.x2; ++x) {
                const bool isInk = countsAsInk(picture.pixel(x, y), 60);
                ink += isInk;
                check.bandEdgeInk += isInk && (y == top || y == p.ylinefromtop);
            }
        }
        if (ink == 0)
            fail(QStringLiteral("the band of sura %1 aya %2 on page %3 half %4 holds no ink").arg(p.sora).arg(p.aya).arg(p.page).arg(p.half));
        for (const LinePiece& q : pieces) {
            if (q.page != p.page || q.half != p.half || q.ylinefromtop != p.ylinefromtop || q.x2 != p.x1 ||
                (q.sora == p.sora && q.aya == p.aya) || p.x1 >= p.x2)
                continue;
            for (int y = top; y <= p.ylinefromtop; ++y) {
                const QRgb pixel = picture.pixel(p.x1, y);
                check.darkestBoundaryRed = std::min(check.darkestBoundaryRed, qRed(pixel));
                if (countsAsInk(pixel, 100))
                    fail(QStringLiteral("ink crosses from aya %1 into aya %2 of sura %3 on page %4 half %5 at (%6, %7)")
                             .arg(q.aya).arg(p.aya).arg(p.sora).arg(p.page).arg(p.half).arg(p.x1).arg(y));
            }
        }
    }
    return check;
}

bool dumpTypesetResult(const TypesetResult& result, const QString& folder, QString* error) {
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("%1: the folder cannot be made").arg(folder);
        return false;
    }
    for (int page = 1; page <= 24; ++page) {
        for (int half = 1; half <= 2; ++half) {
            const size_t index = size_t(halfIndex(page, half));
            if (index >= result.halves.size())
                break;
            std::vector<LinePiece> own;
            for (const LinePiece& p : result.pieces) {
                if (p.page == page && p.half == half)
                    own.push_back(p);
            }
            const QString base = QStringLiteral("%1/page%2_%3").arg(folder).arg(page, 2, 10, QLatin1Char('0')).arg(half);
            const std::pair<QString, QImage> files[] = {
                {base + QStringLiteral(".png"), result.halves[index]},
                {base + QStringLiteral("_rows.png"), geometryOverlay(result.halves[index], own)}};
            for (const auto& [path, picture] : files) {
                if (!picture.save(path, "PNG")) {
                    *error = QStringLiteral("%1 cannot be written").arg(path);
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace zelan::datagen
