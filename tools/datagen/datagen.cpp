#include "datagen.h"

#include "designpictures.h"
#include "interfacelibrary.h"
#include "jpegwriter.h"
#include "portion.h"
#include "sound.h"
#include "tablewriter.h"
#include "translations.h"
#include "typesetting.h"
#include "userguides.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstdio>
#include <map>

namespace zelan::datagen {

namespace {

constexpr int kRussian = 23; // LangNum of the Russian translation
constexpr int kDefaultReciter = 2;

const char* const kFontFiles[] = {"/usr/share/fonts/opentype/fonts-hosny-amiri/AmiriQuran.ttf",
                                  "/usr/share/fonts/opentype/fonts-hosny-amiri/Amiri-Regular.ttf",
                                  "/usr/share/fonts/opentype/fonts-hosny-amiri/Amiri-Bold.ttf",
                                  "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};

void say(const QString& text) {
    std::fprintf(stderr, "datagen: %s\n", qPrintable(text));
    std::fflush(stderr);
}

bool hashFile(QCryptographicHash& hash, const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be read (%2)").arg(path, file.errorString());
        return false;
    }
    hash.addData(&file);
    return true;
}

QJsonObject readJson(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

bool writeJson(const QString& path, const QJsonObject& object, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(object).toJson(QJsonDocument::Compact)) < 0 || !file.commit()) {
        *error = QStringLiteral("%1 cannot be written (%2)").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Every aya of the portion in reading order, aya 0 (the opening formula) before each sura
// from 78 on.
std::vector<std::pair<int, int>> allAyas(const Portion& portion) {
    std::vector<std::pair<int, int>> ayas;
    for (const Sura& sura : portion.suras) {
        for (int aya = sura.number == 1 ? 1 : 0; aya <= int(sura.ayas.size()); ++aya)
            ayas.emplace_back(sura.number, aya);
    }
    return ayas;
}

// Where the synthetic voice of a reciter slot goes. A slot that holds an imported reciter
// (zelan-import-reciter keeps the synthetic recordings it replaced under
// Translations/Sound_aya/.import/<slot folder>/synthetic) keeps its import: its synthetic
// voice is built there instead, for the restore and for the word starts the turn marks use.
QString ayaSoundPath(const QString& out, int sora, int aya, int reciter) {
    const QString slot = reciterVoices().at(size_t(reciter - 1)).name;
    const QString kept = QStringLiteral("%1/Translations/Sound_aya/.import/%2/synthetic").arg(out, slot);
    if (QFileInfo(kept).isDir())
        return QStringLiteral("%1/sora%2/a%3.mp3").arg(kept).arg(sora).arg(aya);
    return QStringLiteral("%1/Translations/Sound_aya/sora%2/Tivlo/%3/a%4.mp3").arg(out).arg(sora).arg(slot).arg(aya);
}

QString translationSoundFile(int sora, int aya) {
    return QStringLiteral("t%1_%2.mp3").arg(sora, 3, 10, QLatin1Char('0')).arg(aya, 3, 10, QLatin1Char('0'));
}

QString translationSoundPath(const QString& out, int sora, int aya) {
    return QStringLiteral("%1/Translations/Sound_trans/Lang/russ/sora%2/%3")
        .arg(out)
        .arg(sora)
        .arg(translationSoundFile(sora, aya));
}

// The geometry of the typeset pages, kept between runs so that a run with unchanged inputs
// need not typeset again.
QJsonObject geometryToJson(const TypesetResult& result) {
    QJsonArray pieces, splits, closers;
    for (const LinePiece& p : result.pieces)
        pieces.append(QJsonArray{p.page, p.half, p.sora, p.aya, p.ylinefromtop, p.x1, p.x2});
    for (const SplitAya& s : result.splitAyas)
        splits.append(QJsonArray{s.sora, s.aya, s.page, s.firstWordOnHalf2});
    for (const auto& [sora, aya] : result.halfClosers)
        closers.append(QJsonArray{sora, aya});
    return {{QStringLiteral("pieces"), pieces},
            {QStringLiteral("splits"), splits},
            {QStringLiteral("closers"), closers},
            {QStringLiteral("fontPixelSize"), result.fontPixelSize}};
}

TypesetResult geometryFromJson(const QJsonObject& object) {
    TypesetResult result;
    for (const QJsonValue& v : object.value(QLatin1String("pieces")).toArray()) {
        const QJsonArray a = v.toArray();
        result.pieces.push_back({a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt(), a[4].toInt(),
                                 a[5].toInt(), a[6].toInt()});
    }
    for (const QJsonValue& v : object.value(QLatin1String("splits")).toArray()) {
        const QJsonArray a = v.toArray();
        result.splitAyas.push_back({a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt()});
    }
    for (const QJsonValue& v : object.value(QLatin1String("closers")).toArray()) {
        const QJsonArray a = v.toArray();
        result.halfClosers.emplace_back(a[0].toInt(), a[1].toInt());
    }
    result.fontPixelSize = object.value(QLatin1String("fontPixelSize")).toDouble();
    return result;
}

QString suraNameRussian(const Sura& sura) {
    // The index's name fields hold 17 characters; two of the source's names are longer.
    if (sura.number == 102)
        return QStringLiteral("Приумножение");
    if (sura.number == 103)
        return QStringLiteral("Предвечерье");
    return sura.russianName.left(17);
}

// Writes the line table (with the turn marks), the translations, the languages, the sura
// index and the empty scratch table.
bool writeTables(const Portion& portion, const TypesetResult& pages,
                 const std::map<std::pair<int, int>, std::pair<double, double>>& marks,
                 const std::vector<std::pair<int, int>>& ayas, const QString& aliasFolder, QString* error) {
    std::vector<Row> lines;
    for (const LinePiece& p : pages.pieces) {
        const auto mark = marks.find({p.sora, p.aya});
        const bool marked = mark != marks.end();
        lines.push_back({qint64(p.page), qint64(p.half), qint64(p.sora), qint64(p.aya),
                         qint64(p.ylinefromtop), qint64(p.x1), qint64(p.x2), qint64(marked ? 1 : 0),
                         marked ? mark->second.first : 0.0, marked ? mark->second.second : 0.0});
    }
    if (!writeTableFile(aliasFolder, data::linesRuvoTable(), lines, error))
        return false;

    if (!loadTranslationFont(error))
        return false;
    std::vector<Row> translations;
    for (const auto& [sora, aya] : ayas) {
        translations.push_back({qint64(sora), qint64(aya), qint64(kRussian), qint64(1),
                                encodeJpeg(translationPicture(portion.aya(sora, aya).russian)),
                                tables::Value(), translationSoundFile(sora, aya), tables::Value()});
    }
    if (!writeTableFile(aliasFolder, data::translationsTable(), translations, error))
        return false;

    const std::vector<Row> languages{
        {qint64(1), qint64(kDefaultReciter), QStringLiteral("العربية"), QStringLiteral("ara")},
        {qint64(kRussian), qint64(kDefaultReciter), QStringLiteral("Русский"), QStringLiteral("rus")}};
    if (!writeTableFile(aliasFolder, data::langsAraTable(), languages, error))
        return false;

    std::vector<Row> index;
    for (const Sura& sura : portion.suras) {
        index.push_back({qint64(sura.number), sura.arabicName.left(17),
                         sura.medinan ? QStringLiteral("مدنية") : QStringLiteral("مكية"),
                         qint64(sura.medinan ? 2 : 1), qint64(sura.ayas.size()), suraNameRussian(sura),
                         sura.medinan ? QStringLiteral("Мединская") : QStringLiteral("Мекканская")});
    }
    if (!writeTableFile(aliasFolder, data::zelanIndexTable(), index, error))
        return false;
    if (!writeTableFile(aliasFolder, data::transTempTable(), {}, error))
        return false;
    return true;
}

} // namespace

bool buildProgramData(const BuildOptions& options, QString* error) {
    QElapsedTimer total;
    total.start();
    const QString aliasFolder = options.out + QStringLiteral("/trans_RUS");
    const QString cache = options.out + QStringLiteral("/.datagen");
    if (!QDir().mkpath(aliasFolder) || !QDir().mkpath(cache)) {
        *error = QStringLiteral("cannot create the folders of %1").arg(options.out);
        return false;
    }
    for (const char* font : kFontFiles) {
        if (!QFileInfo::exists(QString::fromLatin1(font))) {
            *error =
                QStringLiteral("the font %1 is missing: install the Debian packages fonts-hosny-amiri and "
                               "fonts-dejavu-core (scripts/install does)")
                    .arg(QString::fromLatin1(font));
            return false;
        }
    }
    if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty()) {
        *error = QStringLiteral("the MP3 encoder lame is missing: install the Debian package lame "
                                "(scripts/install does)");
        return false;
    }
    if (!QFileInfo::exists(options.source)) {
        *error = QStringLiteral("the text source %1 is missing: install the npm package quran-json@3.1.2 "
                                "(scripts/install does)")
                     .arg(options.source);
        return false;
    }
    const std::optional<Portion> portion = loadPortion(options.source, error);
    if (!portion)
        return false;
    const std::optional<std::vector<PageStart>> pageStarts = loadPageStarts(options.pages, error);
    if (!pageStarts)
        return false;

    QCryptographicHash inputs(QCryptographicHash::Sha256);
    if (!hashFile(inputs, options.source, error) || !hashFile(inputs, options.pages, error))
        return false;
    for (const char* font : kFontFiles) {
        if (!hashFile(inputs, QString::fromLatin1(font), error))
            return false;
    }
    // The program itself is an input too: a change of the code that draws or fills anything
    // rebuilds the pictures and tables (the recordings keep keys of their own).
    if (!hashFile(inputs, options.workerProgram, error))
        return false;
    const QByteArray inputKey = inputs.result().toHex();

    // 1. The page pictures and their line geometry.
    const QString geometryFile = cache + QStringLiteral("/pages.json");
    const QString pagesKey = QString::fromLatin1(inputKey);
    QJsonObject geometry = readJson(geometryFile);
    TypesetResult pages;
    const bool pagesCurrent = geometry.value(QLatin1String("key")).toString() == pagesKey &&
                              QFileInfo::exists(aliasFolder + QStringLiteral("/pagesPich.db")) &&
                              options.debugFolder.isEmpty();
    if (pagesCurrent) {
        pages = geometryFromJson(geometry);
    } else {
        QElapsedTimer timer;
        timer.start();
        say(QStringLiteral("typesetting the pages"));
        TypesetReport report;
        std::optional<TypesetResult> typeset = typesetPortion(*portion, *pageStarts, error, &report);
        if (!typeset)
            return false;
        pages = std::move(*typeset);
        std::vector<Row> rows;
        for (int page = 1; page <= 24; ++page) {
            for (int half = 1; half <= 2; ++half) {
                const QImage& picture = pages.halves.at(size_t(halfIndex(page, half)));
                rows.push_back({qint64(page), qint64(half), encodeJpeg(picture)});
                if (!options.debugFolder.isEmpty()) {
                    std::vector<LinePiece> own;
                    for (const LinePiece& p : pages.pieces) {
                        if (p.page == page && p.half == half)
                            own.push_back(p);
                    }
                    QDir().mkpath(options.debugFolder);
                    geometryOverlay(picture, own)
                        .save(QStringLiteral("%1/page%2_%3.png")
                                  .arg(options.debugFolder)
                                  .arg(page, 2, 10, QLatin1Char('0'))
                                  .arg(half));
                }
            }
        }
        if (!writeTableFile(aliasFolder, data::pagesPichTable(), rows, error))
            return false;
        geometry = geometryToJson(pages);
        geometry.insert(QStringLiteral("key"), pagesKey);
        if (!writeJson(geometryFile, geometry, error))
            return false;
        QStringList tight;
        for (const auto& [page, spacing] : report.tightPages)
            tight << QStringLiteral("page %1 with %2 % word spacing").arg(page).arg(qRound(100 * spacing));
        say(QStringLiteral("pages typeset at %1 px%2 in %3 s")
                .arg(pages.fontPixelSize)
                .arg(tight.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(tight.join(QStringLiteral(", "))))
                .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
    }

    // 2. The recordings: every aya by the four reciters, every translation in Russian.
    const std::vector<std::pair<int, int>> ayas = allAyas(*portion);
    std::vector<SoundJob> jobs;
    std::map<std::pair<int, int>, size_t> defaultReciterJob;
    for (const auto& [sora, aya] : ayas) {
        const QStringList words = ayaWords(portion->aya(sora, aya).arabic);
        for (int reciter = 1; reciter <= 4; ++reciter) {
            if (reciter == kDefaultReciter)
                defaultReciterJob[{sora, aya}] = jobs.size();
            jobs.push_back({ayaSoundPath(options.out, sora, aya, reciter), words, reciter - 1});
        }
    }
    for (const auto& [sora, aya] : ayas) {
        jobs.push_back({translationSoundPath(options.out, sora, aya),
                        portion->aya(sora, aya).russian.split(QLatin1Char(' '), Qt::SkipEmptyParts), -1});
    }
    QElapsedTimer soundTimer;
    soundTimer.start();
    const std::optional<std::vector<SoundInfo>> sounds =
        buildSounds(jobs, cache, options.workerProgram, options.processes, error);
    if (!sounds)
        return false;
    say(QStringLiteral("%1 recordings up to date in %2 s")
            .arg(jobs.size())
            .arg(soundTimer.elapsed() / 1000.0, 0, 'f', 1));

    // 3. The tables. The turn marks of the line table come from the default reciter's
    // recordings: an aya that runs over to the second half of its page turns the half when
    // its first word there begins.
    std::map<std::pair<int, int>, std::pair<double, double>> marks; // aya -> (timedelay, totalAyaTime)
    for (const auto& closer : pages.halfClosers)
        marks[closer] = {0.0, double(sounds->at(defaultReciterJob.at(closer)).lengthMs)};
    for (const SplitAya& split : pages.splitAyas) {
        const SoundInfo& info = sounds->at(defaultReciterJob.at({split.sora, split.aya}));
        const int start =
            split.firstWordOnHalf2 >= 0 && size_t(split.firstWordOnHalf2) < info.wordStartMs.size()
                ? info.wordStartMs[size_t(split.firstWordOnHalf2)]
                : -1;
        if (start <= 0 || start >= info.lengthMs) {
            *error =
                QStringLiteral("sura %1, aya %2 runs over to the next half, but its recording gives no start "
                               "for word %3 (%4 ms of %5)")
                    .arg(split.sora)
                    .arg(split.aya)
                    .arg(split.firstWordOnHalf2 + 1)
                    .arg(start)
                    .arg(info.lengthMs);
            return false;
        }
        marks[{split.sora, split.aya}] = {double(start), double(info.lengthMs)};
    }

    QCryptographicHash tablesHash(QCryptographicHash::Sha256);
    tablesHash.addData(inputKey);
    tablesHash.addData(QJsonDocument(geometry).toJson(QJsonDocument::Compact));
    for (const auto& [aya, mark] : marks)
        tablesHash.addData(QStringLiteral("%1:%2=%3/%4;")
                               .arg(aya.first)
                               .arg(aya.second)
                               .arg(mark.first)
                               .arg(mark.second)
                               .toUtf8());
    const QString tablesKey = QString::fromLatin1(tablesHash.result().toHex());
    const QString tablesFile = cache + QStringLiteral("/tables.json");
    bool tablesCurrent = readJson(tablesFile).value(QLatin1String("key")).toString() == tablesKey;
    for (const data::TableDef* def : data::allTables())
        tablesCurrent = tablesCurrent && QFileInfo::exists(aliasFolder + QLatin1Char('/') + def->fileName);
    if (tablesCurrent) {
        say(QStringLiteral("tables up to date"));
    } else {
        QElapsedTimer tableTimer;
        tableTimer.start();
        if (!writeTables(*portion, pages, marks, ayas, aliasFolder, error))
            return false;
        if (!writeJson(tablesFile, {{QStringLiteral("key"), tablesKey}}, error))
            return false;
        say(QStringLiteral("tables written in %1 s").arg(tableTimer.elapsed() / 1000.0, 0, 'f', 1));
    }

    // 4. The two picture libraries, the user guides and the pictures the windows hold.
    const QString interfaceFile = cache + QStringLiteral("/interface.json");
    bool interfaceCurrent = readJson(interfaceFile).value(QLatin1String("key")).toString() == QString::fromLatin1(inputKey);
    for (const char* path : {"Ara2/zelan_ara.dll", "rus2/zelan_rus.dll", "doc/ara/userguide.htm",
                             "doc/rus/userguide_RU.htm", "design/main_services.png"})
        interfaceCurrent = interfaceCurrent && QFileInfo::exists(options.out + QLatin1Char('/') + QLatin1String(path));
    if (!options.sheetsFolder.isEmpty())
        interfaceCurrent = interfaceCurrent && QFileInfo::exists(options.sheetsFolder + QStringLiteral("/contact_ara.png"));
    if (interfaceCurrent) {
        say(QStringLiteral("picture libraries and guides up to date"));
    } else {
        QElapsedTimer timer;
        timer.start();
        if (!buildInterfaceLibraries(*portion, options.out, options.sheetsFolder, error) ||
            !writeUserGuides(options.out, error) ||
            !writeDesignPictures(options.out + QStringLiteral("/design"), error) ||
            !writeJson(interfaceFile, {{QStringLiteral("key"), QString::fromLatin1(inputKey)}}, error))
            return false;
        say(QStringLiteral("picture libraries, guides and design pictures written in %1 s")
                .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
    }

    say(QStringLiteral("done in %1 s").arg(total.elapsed() / 1000.0, 0, 'f', 1));
    return true;
}

} // namespace zelan::datagen
