#pragma once

// A small program folder for the print tests, built in code: the tables (Translations.db with
// suras 1, 78, 79, 80, 113 and 114, with or without the opening-formula records of aya 0,
// and an empty transTemp.db), and a picture library with the pictures and strings of the
// print options window and the report. The print data module and the report are created over
// it, as the program creates them at start.

#include "picturebytes.h"
#include "tablefixture.h"
#include "interfacelanguage.h"
#include "platform/reslib/resourcelibrary.h"
#include "schema.h"
#include "table.h"
#include "transdm.h"
#include "transrep.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace printfixture {

using zelan::tables::Value;

using zelan::testing::encodePicture;

inline QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The suras of the fixture's translation table, with their aya counts.
inline const std::vector<std::pair<int, int>>& suras() {
    static const std::vector<std::pair<int, int>> s{{1, 7}, {78, 40}, {79, 46}, {80, 42}, {113, 5}, {114, 6}};
    return s;
}

// The colour of an aya's translation picture, so that a rendered page tells the ayas apart.
inline QColor translationColour(int sora, int aya) {
    return QColor((sora * 53) % 200 + 30, (aya * 37) % 200 + 30, 200);
}

// Size of every translation picture: 630 x 40 pixels, as wide as the program's.
inline QSize translationSize() {
    return {630, 40};
}

// A library picture of an id, its colour made from the id.
inline QColor libraryColour(int id) {
    return QColor((id * 37) % 200 + 20, (id * 11) % 200 + 20, (id * 5) % 200 + 20);
}

struct Options {
    bool ayaZero = true; // records of aya 0 for the suras after sura 1
    QString charset = QStringLiteral("178");
    std::vector<std::pair<int, int>> damaged = {}; // ayas whose translation picture is cut short
};

class Folder {
public:
    explicit Folder(Options options = {}) : m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_dir.path());
        QDir().mkdir(QStringLiteral("trans_RUS"));
        zelan::data::createEmptyTables(m_dir.filePath(QStringLiteral("trans_RUS")));
        std::vector<std::vector<Value>> rows;
        for (const auto& [sora, count] : suras()) {
            for (int aya = (sora == 1 || !options.ayaZero) ? 1 : 0; aya <= count; ++aya) {
                QByteArray picture = encodePicture(solid(translationSize(), translationColour(sora, aya)), "JPEG");
                if (std::find(options.damaged.begin(), options.damaged.end(), std::pair{sora, aya}) !=
                    options.damaged.end())
                    picture.truncate(picture.size() / 2);
                rows.push_back({qint64(sora), qint64(aya), qint64(23), qint64(1), picture, QByteArray(),
                                QStringLiteral("t.mp3"), QString()});
                keys.push_back({sora, aya});
            }
        }
        insert(zelan::data::translationsTable(), rows);

        zelan::reslib::ResourceLibraryContent content;
        std::vector<int> jpegs = {333, 454, 455, 458, 459, 460, 461, 462};
        for (int id = 410; id <= 446; ++id)
            jpegs.push_back(id);
        for (int id : jpegs) {
            const QSize size = id == 454 ? QSize(680, 36) : id >= 458 ? QSize(100, 36) : QSize(120, 20);
            content.rcData.insert(id, encodePicture(solid(size, libraryColour(id)), "JPEG"));
        }
        for (int id : {467, 468, 475, 476, 477, 478})
            content.rcData.insert(id, encodePicture(solid(QSize(90, 40), libraryColour(id)), "BMP"));
        content.strings.insert(132, QStringLiteral("Liberation Serif"));
        content.strings.insert(133, options.charset);
        const QByteArray library = zelan::reslib::writeResourceLibrary(content);
        QDir().mkpath(QStringLiteral("Ara2"));
        QFile out(m_dir.filePath(QStringLiteral("Ara2/zelan_ara.dll")));
        out.open(QIODevice::WriteOnly);
        out.write(library);
        out.close();

        languageCode = zelan::ui::kArabic;
        pictureLibrary = zelan::reslib::ResourceLibrary::load(out.fileName());
        trans_dm_fm = new Ttrans_dm_fm();
        trans_rep_fm = new Ttrans_rep_fm();
    }
    ~Folder() {
        delete trans_rep_fm;
        trans_rep_fm = nullptr;
        delete trans_dm_fm;
        trans_dm_fm = nullptr;
        pictureLibrary.reset();
        QDir::setCurrent(m_previous);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    QString path() const { return m_dir.path(); }

    // Every (sura, aya) of the translation table, in table order.
    std::vector<std::pair<int, int>> keys;

private:
    void insert(const zelan::data::TableDef& def, const std::vector<std::vector<Value>>& rows) {
        zelan::testing::insertRows(def, rows);
    }

    QTemporaryDir m_dir;
    QString m_previous;
};

// The keys in transTemp.db, as "sura:aya" separated by blanks.
inline QString transTempKeys() {
    zelan::tables::Table table(QStringLiteral("check"), QStringLiteral("trans_RUS"),
                               QStringLiteral("transTemp.db"));
    table.open();
    QStringList keys;
    for (table.first(); !table.eof(); table.next()) {
        keys.append(QStringLiteral("%1:%2")
                        .arg(table.fieldByName(QStringLiteral("soranum")).asInteger())
                        .arg(table.fieldByName(QStringLiteral("ayanum")).asInteger()));
    }
    return keys.join(QLatin1Char(' '));
}

} // namespace printfixture
