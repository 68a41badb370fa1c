// Checks of the program folder that datagen built: every aya has its lines, translation and
// recordings; the line geometry fits the pictures and marks each aya's ink; the pages keep
// the suras where the viewer expects them; the turn marks agree with the recordings.

#include "testmain.h"

#include "ayacount.h"
#include "components.h"
#include "picturedecoding.h"
#include "resourcelibrary.h"
#include "sound.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QTest>

#include <map>
#include <set>

#include <mpg123.h>

using namespace zelan;

namespace {

struct Piece {
    int page, half, sora, aya, y, x1, x2, lastaya;
    double timedelay, total;
};

const char* const kReciters[] = {"Zorvik", "Pellune", "Sarnex", "Wendak"};

bool isInk(QRgb pixel, int factor) { return qRed(pixel) <= 2 * factor && 100 * qGreen(pixel) < 255 * factor; }

// The band of a piece: from the largest smaller line bottom of the same sura on the same half
// (or the top of the picture) down to its own line bottom.
int bandTop(const std::vector<Piece>& pieces, const Piece& p) {
    int top = 0;
    for (const Piece& q : pieces) {
        if (q.page == p.page && q.half == p.half && q.sora == p.sora && q.y < p.y)
            top = std::max(top, q.y);
    }
    return top;
}

} // namespace

class FolderTest : public QObject {
    Q_OBJECT

    QString m_folder;
    QString m_previous;
    std::vector<Piece> m_pieces;
    std::map<std::pair<int, int>, QImage> m_halves;

private slots:
    void initTestCase() {
        m_folder = qEnvironmentVariable("ZELAN_PROGRAM_DIR");
        if (!QFileInfo::exists(m_folder + QStringLiteral("/trans_RUS/LINES_ruvo.DB"))) {
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_PROGRAM"))
                QFAIL(qPrintable(QStringLiteral("no program folder at %1").arg(m_folder)));
            // Skipped test by test (in init): a skip here would also silence the test
            // classes that run after this one in the same executable.
            m_folder.clear();
            return;
        }
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_folder);
        tables::Table lines(QStringLiteral("lines"), QStringLiteral("trans_RUS"), QStringLiteral("LINES_ruvo.DB"));
        lines.open();
        for (; !lines.eof(); lines.next()) {
            auto f = [&](const char* name) { return lines.fieldByName(QString::fromLatin1(name)); };
            m_pieces.push_back({f("pagenum").asInteger(), f("halfnum").asInteger(), f("soranum").asInteger(),
                                f("ayanum").asInteger(), f("ylinefromtop").asInteger(), f("x1aya").asInteger(),
                                f("x2aya").asInteger(), f("lastaya").asInteger(), f("timedelay").asFloat(),
                                f("totalAyaTime").asFloat()});
        }
        auto pages = data::createPagesPichTable();
        pages->open();
        for (; !pages->eof(); pages->next()) {
            const auto picture = ui::decodeJpeg(pages->createBlobStream(QStringLiteral("PagePich"))->readAll());
            QVERIFY(picture);
            QCOMPARE(picture->size(), QSize(412, 354));
            m_halves[{pages->fieldByName(QStringLiteral("PageNum")).asInteger(),
                      pages->fieldByName(QStringLiteral("HalfNum")).asInteger()}] = *picture;
        }
        QCOMPARE(m_halves.size(), size_t(48));
    }

    void init() {
        if (m_folder.isEmpty())
            QSKIP("the program folder has not been built (scripts/run builds it)");
    }

    void cleanupTestCase() {
        if (!m_previous.isEmpty())
            QDir::setCurrent(m_previous);
    }

    void everyAyaHasLinesTranslationAndRecordings() {
        std::set<std::pair<int, int>> withLines;
        for (const Piece& p : m_pieces)
            withLines.insert({p.sora, p.aya});
        auto translations = data::createPrintTranslationsTable();
        translations->open();
        std::map<std::pair<int, int>, QString> soundFiles;
        for (; !translations->eof(); translations->next()) {
            QCOMPARE(translations->fieldByName(QStringLiteral("LangNum")).asInteger(), 23);
            const auto picture = ui::decodeJpeg(translations->createBlobStream(QStringLiteral("AyaTransPick"))->readAll());
            QVERIFY(picture && picture->width() <= 630);
            soundFiles[{translations->fieldByName(QStringLiteral("SoraNum")).asInteger(),
                        translations->fieldByName(QStringLiteral("AyaNum")).asInteger()}] =
                translations->fieldByName(QStringLiteral("SoundTransFile")).asString();
        }
        int ayas = 0;
        for (int sora = 1; sora <= 114; sora = sora == 1 ? 78 : sora + 1) {
            for (int aya = data::firstAya(sora); aya <= data::ayaCount(sora); ++aya, ++ayas) {
                const QString where = QStringLiteral("sura %1, aya %2").arg(sora).arg(aya);
                QVERIFY2(withLines.count({sora, aya}), qPrintable(where + " has no lines"));
                const QString sound = soundFiles[{sora, aya}];
                QVERIFY2(!sound.isEmpty() && sound.size() <= 20, qPrintable(where + " has no translation"));
                QVERIFY2(QFileInfo::exists(QStringLiteral("Translations/Sound_trans/Lang/russ/sora%1/%2").arg(sora).arg(sound)),
                         qPrintable(where + " has no translation recording"));
                for (const char* reciter : kReciters) {
                    QVERIFY2(QFileInfo::exists(QStringLiteral("Translations/Sound_aya/sora%1/Tivlo/%2/a%3.mp3")
                                                   .arg(sora)
                                                   .arg(QLatin1String(reciter))
                                                   .arg(aya)),
                             qPrintable(where + " has no recording by " + QLatin1String(reciter)));
                }
            }
        }
        QCOMPARE(ayas, 571 + 37);
        QCOMPARE(soundFiles.size(), size_t(ayas));
    }

    void piecesFitThePictureAndDoNotOverlap() {
        std::map<std::tuple<int, int, int>, std::vector<const Piece*>> lines;
        for (const Piece& p : m_pieces) {
            QVERIFY(p.x1 >= 0 && p.x1 < p.x2 && p.x2 < 412 && p.y > 0 && p.y < 354);
            lines[{p.page, p.half, p.y}].push_back(&p);
        }
        for (auto& [line, pieces] : lines) {
            std::sort(pieces.begin(), pieces.end(), [](const Piece* a, const Piece* b) { return a->x1 < b->x1; });
            for (size_t i = 1; i < pieces.size(); ++i)
                QVERIFY2(pieces[i - 1]->x2 <= pieces[i]->x1,
                         qPrintable(QStringLiteral("pieces overlap on page %1 half %2 at y %3")
                                        .arg(std::get<0>(line)).arg(std::get<1>(line)).arg(std::get<2>(line))));
        }
    }

    void bandsMarkTheirOwnAyaOnly() {
        for (const Piece& p : m_pieces) {
            if (p.aya < 0)
                continue;
            const QImage& half = m_halves.at({p.page, p.half});
            int ink = 0;
            for (int y = bandTop(m_pieces, p); y <= p.y; ++y) {
                for (int x = p.x1; x <= p.x2; ++x)
                    ink += isInk(half.pixel(x, y), 60);
            }
            QVERIFY2(ink > 0, qPrintable(QStringLiteral("the band of sura %1, aya %2 on page %3 half %4 holds no ink")
                                             .arg(p.sora).arg(p.aya).arg(p.page).arg(p.half)));
            // Where two ayas meet on a line, no ink crosses the boundary between their bands.
            for (const Piece& q : m_pieces) {
                if (q.page != p.page || q.half != p.half || q.y != p.y || q.x2 != p.x1 || q.aya == p.aya)
                    continue;
                for (int y = bandTop(m_pieces, p); y <= p.y; ++y) {
                    QVERIFY2(!isInk(half.pixel(p.x1, y), 100),
                             qPrintable(QStringLiteral("ink crosses from aya %1 into aya %2 of sura %3 on page %4 "
                                                       "half %5 at (%6, %7)")
                                            .arg(q.aya).arg(p.aya).arg(p.sora).arg(p.page).arg(p.half).arg(p.x1).arg(y)));
                }
            }
        }
    }

    void pagesKeepTheSurasInPlace() {
        std::map<std::pair<int, int>, std::set<std::pair<int, int>>> halvesOfAya;
        for (const Piece& p : m_pieces) {
            QVERIFY2((p.page == 1) == (p.sora == 1), qPrintable(QStringLiteral("sura %1 on page %2").arg(p.sora).arg(p.page)));
            QVERIFY(!(p.page == 1 && p.half == 2));
            if (p.sora == 114)
                QVERIFY(p.page == 24 && p.half == 2);
            if (p.page == 24 && p.half == 2)
                QCOMPARE(p.sora, 114);
            halvesOfAya[{p.sora, p.aya}].insert({p.page, p.half});
        }
        const Piece* first78 = nullptr;
        for (const Piece& p : m_pieces) {
            if (p.sora == 78 && !first78)
                first78 = &p;
        }
        QVERIFY(first78 && first78->page == 2 && first78->half == 1);
        for (const auto& [aya, halves] : halvesOfAya) {
            if (aya.second < 0)
                continue;
            QVERIFY2(halves.begin()->first == halves.rbegin()->first,
                     qPrintable(QStringLiteral("sura %1, aya %2 crosses a page").arg(aya.first).arg(aya.second)));
        }
    }

    void turnMarksAgreeWithTheRecordings() {
        QString error;
        const auto manifest = datagen::loadSoundManifest(m_folder + QStringLiteral("/.datagen"), &error);
        QVERIFY2(manifest, qPrintable(error));
        std::map<std::pair<int, int>, std::set<std::pair<int, int>>> halvesOfAya;
        std::map<std::pair<int, int>, const Piece*> firstRow;
        for (const Piece& p : m_pieces) {
            halvesOfAya[{p.sora, p.aya}].insert({p.page, p.half});
            firstRow.emplace(std::make_pair(p.sora, p.aya), &p);
        }
        int splits = 0;
        for (const Piece& p : m_pieces) {
            const Piece& first = *firstRow.at({p.sora, p.aya});
            // Every row of an aya carries the same marks.
            QCOMPARE(p.lastaya, first.lastaya);
            QCOMPARE(p.timedelay, first.timedelay);
            if (halvesOfAya.at({p.sora, p.aya}).size() < 2 || &p != &first)
                continue;
            ++splits;
            QCOMPARE(p.lastaya, 1);
            QVERIFY2(p.timedelay > 0 && p.timedelay < p.total,
                     qPrintable(QStringLiteral("sura %1, aya %2").arg(p.sora).arg(p.aya)));
            const double fraction = p.timedelay / p.total;
            for (const char* reciter : kReciters) {
                const QString path = QStringLiteral("%1/Translations/Sound_aya/sora%2/Tivlo/%3/a%4.mp3")
                                         .arg(m_folder).arg(p.sora).arg(QLatin1String(reciter)).arg(p.aya);
                QVERIFY2(manifest->contains(path), qPrintable(path));
                const datagen::SoundInfo& info = manifest->value(path);
                // The turn lands within the recording, after its first word has begun.
                const double turn = fraction * info.lengthMs;
                QVERIFY(turn > info.wordStartMs.front() && turn < info.lengthMs);
            }
        }
        QVERIFY(splits > 0);
    }

    void picturesLibrariesAndGuidesAreInPlace() {
        for (const char* path : {"Ara2/zelan_ara.dll", "rus2/zelan_rus.dll"}) {
            QString error;
            const auto library = reslib::ResourceLibrary::load(QString::fromLatin1(path), &error);
            QVERIFY2(library, qPrintable(error));
            const auto background = library->rcData(174);
            QVERIFY(background && ui::decodeJpeg(*background));
            QVERIFY(library->string(132).has_value());
        }
        for (const char* path : {"doc/ara/userguide.htm", "doc/rus/userguide_RU.htm", "design/main_services.png"})
            QVERIFY2(QFileInfo(QString::fromLatin1(path)).size() > 0, path);
    }

    void recordingsDecodeToTheirSynthesizedLength() {
        QString error;
        const auto manifest = datagen::loadSoundManifest(m_folder + QStringLiteral("/.datagen"), &error);
        QVERIFY2(manifest, qPrintable(error));
        QVERIFY(manifest->size() >= 5 * 608);
        mpg123_init();
        int checked = 0;
        for (auto it = manifest->cbegin(); it != manifest->cend(); ++it) {
            int rc = MPG123_OK;
            mpg123_handle* handle = mpg123_new(nullptr, &rc);
            QVERIFY(handle);
            QVERIFY2(mpg123_open(handle, QFile::encodeName(it.key()).constData()) == MPG123_OK, qPrintable(it.key()));
            const off_t length = mpg123_length(handle);
            mpg123_close(handle);
            mpg123_delete(handle);
            QVERIFY2(length == it.value().samples,
                     qPrintable(QStringLiteral("%1: %2 samples decoded, %3 synthesized").arg(it.key()).arg(length).arg(it.value().samples)));
            ++checked;
        }
        QVERIFY(checked > 0);
    }
};

ZELAN_TEST_CLASS(FolderTest)
#include "tst_folder.moc"
