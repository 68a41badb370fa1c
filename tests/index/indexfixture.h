#pragma once

// A program folder built in code for the sura index: the index table with the rows a test
// asks for, and a picture library holding the index's pictures. Every picture has a colour
// made from its id, so a test can tell which picture a cell shows.

#include "picturebytes.h"
#include "tablefixture.h"
#include "ayacount.h"
#include "imagecontrol.h"
#include "picturelibrary.h"
#include "schema.h"
#include "table.h"

#include "platform/reslib/resourcelibrary.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <vector>

namespace indexfixture {

struct Sora {
    int number;
    int place; // DecendOrder: 1 Makkah, 2 Madinah
    int ayas;
};

inline int placeOf(int sora) { return sora == 98 || sora == 99 || sora == 110 ? 2 : 1; }

// The suras of the portion in canonical order: 1 and 78 to 114.
inline std::vector<Sora> portion() {
    std::vector<Sora> suras{{1, 1, zelan::data::ayaCount(1)}};
    for (int sora = 78; sora <= 114; ++sora)
        suras.push_back({sora, placeOf(sora), zelan::data::ayaCount(sora)});
    return suras;
}

inline QByteArray encode(const QImage& image, const char* format) { return zelan::testing::encodePicture(image, format); }

inline QImage picture(int id, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor((id * 37) % 256, (id * 11) % 256, (id * 5) % 256));
    return image;
}

// The index's pictures, and the location message's strings.
inline zelan::ui::PictureLibrary library() {
    zelan::reslib::ResourceLibraryContent content;
    content.rcData.insert(463, encode(picture(463, QSize(800, 600)), "JPEG"));
    content.rcData.insert(449, encode(picture(449, QSize(120, 70)), "JPEG"));
    content.rcData.insert(450, encode(picture(450, QSize(120, 23)), "JPEG"));
    for (int id : {447, 448, 333})
        content.rcData.insert(id, encode(picture(id, QSize(120, 23)), "JPEG"));
    for (int sora = 78; sora <= 114; ++sora)
        content.rcData.insert(332 + sora, encode(picture(332 + sora, QSize(120, 23)), "JPEG"));
    for (int id : {468, 477, 478, 517, 518, 519, 520, 521, 522}) {
        QImage button = picture(id, QSize(40, 30));
        button.setPixelColor(0, 29, Qt::magenta);
        content.rcData.insert(id, encode(button, "BMP"));
    }
    content.strings = {{132, QStringLiteral("DejaVu Sans")},
                       {133, QStringLiteral("178")},
                       {134, QStringLiteral("10")},
                       {153, QStringLiteral("outside this portion")},
                       {156, QStringLiteral("OK")}};
    return zelan::reslib::ResourceLibrary::fromBytes(zelan::reslib::writeResourceLibrary(content),
                                                     QStringLiteral("index fixture"));
}

// A JPEG picture of `library` as a cell shows it.
inline QImage shown(const zelan::ui::PictureLibrary& library, int id) {
    zelan::ui::ImageControl holder;
    zelan::ui::loadPicture(library, &holder, id);
    return holder.picture();
}

// A current directory whose alias folder holds the index table with `suras`; the previous
// directory comes back when the fixture goes.
class Folder {
public:
    explicit Folder(const std::vector<Sora>& suras) : m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_dir.path());
        QDir().mkdir(QStringLiteral("trans_RUS"));
        const zelan::data::TableDef& def = zelan::data::zelanIndexTable();
        zelan::data::createEmptyTables(m_dir.filePath(QStringLiteral("trans_RUS")), {&def});
        zelan::tables::Table table(QStringLiteral("fixture"), QStringLiteral("trans_RUS"), def.fileName);
        table.open();
        for (const Sora& sora : suras) {
            table.append();
            table.setFieldValue(QStringLiteral("SoraNum"), qint64(sora.number));
            table.setFieldValue(QStringLiteral("DecendOrder"), qint64(sora.place));
            table.setFieldValue(QStringLiteral("NumOfayat"), qint64(sora.ayas));
            table.post();
        }
        table.close();
    }
    ~Folder() { QDir::setCurrent(m_previous); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

} // namespace indexfixture
