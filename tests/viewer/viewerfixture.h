#pragma once

// A small program folder built in code for the reading window's tests: a few page halves of a
// few suras, with line rows whose geometry the tests know, solid-colour page pictures, some
// translation pictures and a picture library holding the headings and list pictures.
//
// Pages and suras of the fixture:
//   page 1 half 1   sura 1, ayas 1..7, one line each (y = 40 x aya)
//   page 2 half 1   sura 78: a title line (aya -1, y 30), aya 0 (y 60), aya 1 over three lines
//                   (y 90, 120, 150), ayas 2 and 3 sharing the line at y 180
//   page 2 half 2   sura 78: aya 3 continued (y 40, the sura's first line on this half), aya 4 (y 80)
//   page 3 half 1   sura 78: aya 5 (y 20, its last line); sura 79: aya -1 (y 30), aya 0 (y 60),
//                   aya 1 (y 90)
//   page 4 half 1   sura 80: aya -1 (y 30), aya 0 (y 60), aya 1 (y 90)
//   page 20 half 1  sura 97: aya 0 (y 60), ayas 1..5 (y 90 + 30 x (aya - 1))
//   page 23 half 2  sura 112: aya -1 (y 30), aya 0 (y 60), aya 1 (y 90)
//   page 24 half 1  sura 113: aya -1 (y 30), aya 0 (y 60), aya 1 (y 90)
//   page 24 half 2  sura 114: aya -1 (y 30), aya 0 (y 60), aya 1 (y 90)
// Every line row spans x 10..400 unless the row says otherwise (see lineRows()).
// Turn marks on the first row of an aya (turnMarks()): sura 78 aya 3 runs over from half 1 to
// half 2 at half of its recording (timedelay 3, totalAyaTime 6); sura 79 aya 1 and sura 114
// aya 1 turn after they end.

#include "tablefixture.h"
#include "components.h"
#include "picturelibrary.h"
#include "schema.h"
#include "table.h"

#include "platform/reslib/resourcelibrary.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <map>
#include <tuple>
#include <vector>

namespace viewerfixture {

using zelan::tables::Value;

struct LineRow {
    int page, half, sora, aya, y, x1, x2;
};

inline const std::vector<LineRow>& lineRows() {
    static const std::vector<LineRow> rows = [] {
        std::vector<LineRow> r;
        for (int aya = 1; aya <= 7; ++aya)
            r.push_back({1, 1, 1, aya, 40 * aya, 10, 400});
        r.push_back({2, 1, 78, -1, 30, 10, 400});
        r.push_back({2, 1, 78, 0, 60, 100, 300});
        r.push_back({2, 1, 78, 1, 90, 200, 400});
        r.push_back({2, 1, 78, 1, 120, 10, 400});
        r.push_back({2, 1, 78, 1, 150, 300, 400});
        r.push_back({2, 1, 78, 2, 180, 250, 400});
        r.push_back({2, 1, 78, 3, 180, 10, 249});
        r.push_back({2, 2, 78, 3, 40, 300, 400});
        r.push_back({2, 2, 78, 4, 80, 10, 400});
        r.push_back({3, 1, 78, 5, 20, 10, 400});
        for (const auto& [page, half, sora] :
             {std::tuple{3, 1, 79}, std::tuple{4, 1, 80}, std::tuple{23, 2, 112}, std::tuple{24, 1, 113}}) {
            r.push_back({page, half, sora, -1, 30, 10, 400});
            r.push_back({page, half, sora, 0, 60, 100, 300});
            r.push_back({page, half, sora, 1, 90, 10, 400});
        }
        r.push_back({20, 1, 97, 0, 60, 100, 300});
        for (int aya = 1; aya <= 5; ++aya)
            r.push_back({20, 1, 97, aya, 90 + 30 * (aya - 1), 10, 400});
        r.push_back({24, 2, 114, -1, 30, 10, 400});
        r.push_back({24, 2, 114, 0, 60, 100, 300});
        r.push_back({24, 2, 114, 1, 90, 10, 400});
        return r;
    }();
    return rows;
}

struct TurnMark {
    int lastaya;
    double timedelay, totalAyaTime;
};

inline std::map<std::pair<int, int>, TurnMark> turnMarks() {
    return {{{78, 3}, {1, 3, 6}}, {{79, 1}, {1, 0, 5}}, {{114, 1}, {1, 0, 5}}};
}

// The page halves that have a picture.
inline std::vector<std::pair<int, int>> pageHalves() {
    return {{1, 1}, {2, 1}, {2, 2}, {3, 1}, {4, 1}, {20, 1}, {23, 2}, {24, 1}, {24, 2}};
}

// The solid colour of a page half's picture; pages tell themselves apart by red and green.
inline QColor pageColour(int page, int half) {
    return QColor(240 - 8 * page, half == 1 ? 230 : 170, 220);
}

// The page half a picture shows, read back from its colour (JPEG moves colours a little).
inline std::pair<int, int> pageOf(const QImage& picture) {
    if (picture.isNull())
        return {0, 0};
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    return {int(std::lround((240 - c.red()) / 8.0)), c.green() > 200 ? 1 : 2};
}

inline QByteArray jpeg(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

inline QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The translation picture of an aya: 200 x 30, or 200 x 120 (taller than the box) for sura 1
// aya 7; its colour names the aya.
inline QColor translationColour(int sora, int aya) {
    return QColor(sora == 1 ? 40 : 140, 20 * aya + 20, 90);
}

// Ayas with a translation record: sura 1 ayas 1..7, sura 78 ayas 0..3 (aya 4 has none).
inline std::vector<std::pair<int, int>> translatedAyas() {
    std::vector<std::pair<int, int>> ayas;
    for (int aya = 1; aya <= 7; ++aya)
        ayas.push_back({1, aya});
    for (int aya = 0; aya <= 3; ++aya)
        ayas.push_back({78, aya});
    return ayas;
}

// A picture of a library id: 30 x 12, its colour made from the id.
inline QImage libraryPicture(int id) {
    return solid(QSize(30, 12), QColor((id * 37) % 256, (id * 11) % 256, (id * 5) % 256));
}

// A current directory holding the fixture's program folder; the previous one comes back when
// the fixture goes.
class Folder {
public:
    Folder() : m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_dir.path());
        QDir().mkdir(QStringLiteral("trans_RUS"));
        zelan::data::createEmptyTables(m_dir.filePath(QStringLiteral("trans_RUS")));
        using namespace zelan::data;
        std::vector<std::vector<Value>> lines;
        std::map<std::pair<int, int>, TurnMark> marks = turnMarks();
        for (const LineRow& r : lineRows()) {
            TurnMark mark{0, 0, 0};
            if (const auto found = marks.find({r.sora, r.aya}); found != marks.end()) {
                mark = found->second;
                marks.erase(found); // on the aya's first row only
            }
            lines.push_back({qint64(r.page), qint64(r.half), qint64(r.sora), qint64(r.aya), qint64(r.y), qint64(r.x1),
                             qint64(r.x2), qint64(mark.lastaya), mark.timedelay, mark.totalAyaTime});
        }
        insert(linesRuvoTable(), lines);
        std::vector<std::vector<Value>> pages;
        for (const auto& [page, half] : pageHalves())
            pages.push_back({qint64(page), qint64(half), jpeg(solid(QSize(412, 354), pageColour(page, half)))});
        insert(pagesPichTable(), pages);
        std::vector<std::vector<Value>> translations;
        for (const auto& [sora, aya] : translatedAyas()) {
            const QSize size(200, sora == 1 && aya == 7 ? 120 : 30);
            translations.push_back({qint64(sora), qint64(aya), qint64(23), qint64(1),
                                    jpeg(solid(size, translationColour(sora, aya))), QByteArray(),
                                    QStringLiteral("t%1.mp3").arg(aya), QString()});
        }
        insert(translationsTable(), translations);
        insert(langsAraTable(), {{qint64(1), qint64(1), QStringLiteral("arabic"), QStringLiteral("a")},
                                 {qint64(23), qint64(3), QStringLiteral("russian"), QStringLiteral("ru")},
                                 {qint64(3), qint64(4), QStringLiteral("english"), QStringLiteral("en")}});

        zelan::reslib::ResourceLibraryContent content;
        std::vector<int> ids = {206, 207, 323, 324, 325, 326, 329, 330, 331, 332, 333, 538};
        for (int sora = 78; sora <= 114; ++sora) {
            ids.push_back(206 + sora);
            ids.push_back(332 + sora);
        }
        for (int id : ids)
            content.rcData.insert(id, jpeg(libraryPicture(id)));
        const QByteArray library = zelan::reslib::writeResourceLibrary(content);
        for (const char* path : {"Ara2/zelan_ara.dll", "rus2/zelan_rus.dll"}) {
            const QString file = m_dir.filePath(QString::fromLatin1(path));
            QDir().mkpath(QFileInfo(file).path());
            QFile out(file);
            out.open(QIODevice::WriteOnly);
            out.write(library);
        }
    }
    ~Folder() { QDir::setCurrent(m_previous); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    QString path() const { return m_dir.path(); }

    // Appends rows to a table, fields in the table's declared order.
    static void insert(const zelan::data::TableDef& def, const std::vector<std::vector<Value>>& rows) {
        zelan::testing::insertRows(def, rows);
    }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

} // namespace viewerfixture
