// zelan-import-reciter: brings a reciter's per-aya MP3 collection into a slot of the program.
//
//   zelan-import-reciter --slot <1-4> [--name <name>] [--program <folder>] [--keep-missing] <collection folder>
//   zelan-import-reciter --slot <1-4> --restore [--program <folder>]
//
// The collection holds one file per aya, named by three-digit sura and aya ("078001.mp3");
// the opening formula before every sura from 78 is "001001.mp3". Every file is checked before
// anything changes; the slot is then replaced as a whole, or left as it was.

#include "collection.h"
#include "reciterslot.h"
#include "terminalprogress.h"
#include "turns.h"

#include "interfaceart.h"
#include "interfacelibrary.h"
#include "sounddecoder.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdio>
#include <map>

using namespace zelan::importer;
using namespace zelan::recitation;

namespace {

void say(const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); }

int fail(const QString& text) {
    say(QStringLiteral("zelan-import-reciter: ") + text);
    return 1;
}

// The length of the synthetic recording of an aya, from a slot that still holds the synthetic
// voice (or the one an import keeps aside); 0 when none can be read.
int syntheticMs(const QString& program, int sura, int aya) {
    for (int slot = 1; slot <= 4; ++slot) {
        std::uint32_t error = 0;
        if (const auto sound = zelan::media::decodeSoundFile(syntheticRecording(program, slot, sura, aya), &error))
            return int(sound->lengthMs());
    }
    return 0;
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

// The name shown for the slot, kept beside its import with the reciter list's entry in both
// interfaces, drawn as the data builder draws the list's entries.
bool writeName(const QString& program, int slot, const QString& name, QString* error) {
    const QString work = slotWorkFolder(program, slot);
    if (!zelan::datagen::loadInterfaceFonts(error) || !writeFile(work + QStringLiteral("/name"), name.toUtf8() + '\n', error))
        return false;
    for (const auto& [language, file] : {std::pair{zelan::datagen::UiLanguage::Arabic, "list_ara.png"},
                                         std::pair{zelan::datagen::UiLanguage::Russian, "list_rus.png"}}) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!zelan::datagen::reciterEntryPicture(language, name).save(&buffer, "PNG") ||
            !writeFile(work + QLatin1Char('/') + QString::fromLatin1(file), png, error))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    // The list entries are drawn with the fonts; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelan-import-reciter"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Imports a reciter's per-aya MP3 files (SSSAAA.mp3) into a reciter slot of Zelan."));
    parser.addHelpOption();
    const QCommandLineOption slotOption(QStringLiteral("slot"), QStringLiteral("The reciter slot, 1 to 4."),
                                        QStringLiteral("n"));
    const QCommandLineOption nameOption(QStringLiteral("name"), QStringLiteral("The reciter's name for the list."),
                                        QStringLiteral("name"));
    const QCommandLineOption programOption(
        QStringLiteral("program"),
        QStringLiteral("The program folder (default: the current folder, or else the user's own folder of an "
                       "installed program, $XDG_DATA_HOME/zelan)."),
        QStringLiteral("folder"));
    const QCommandLineOption keepMissing(
        QStringLiteral("keep-missing"),
        QStringLiteral("Keep the slot's own recording for each file the collection lacks."));
    const QCommandLineOption restore(QStringLiteral("restore"), QStringLiteral("Put the synthetic voice back."));
    parser.addOptions({slotOption, nameOption, programOption, keepMissing, restore});
    parser.addPositionalArgument(QStringLiteral("collection"), QStringLiteral("The folder of the MP3 files."));
    parser.process(app);

    bool ok = false;
    const int slot = parser.value(slotOption).toInt(&ok);
    if (!ok || slotFolderName(slot).isEmpty())
        return fail(QStringLiteral("--slot takes a slot number from 1 to 4, not \"%1\"").arg(parser.value(slotOption)));
    auto isProgram = [](const QString& folder) {
        return QFileInfo(folder + QStringLiteral("/Translations/Sound_aya")).isDir();
    };
    QString program = QDir(parser.isSet(programOption) ? parser.value(programOption) : QStringLiteral(".")).absolutePath();
    if (!parser.isSet(programOption) && !isProgram(program)) {
        // An installed program runs each user from a folder of their own, which links to the
        // installed files; the import goes there and leaves those untouched.
        const QString own =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zelan");
        if (!isProgram(own))
            return fail(QStringLiteral("the current folder is no program folder, and %1 is not there either: "
                                       "start zelan once, or name the program folder with --program")
                            .arg(own));
        program = own;
    }
    if (!isProgram(program))
        return fail(QStringLiteral("%1 is no program folder (it has no Translations/Sound_aya)").arg(program));
    QString error;
    // In a user's folder of an installed program the recordings are links to the installed
    // ones: the folders down to the slots become the user's own (still linking to them), so
    // that the slot's folders can change and the installed files stay as they are.
    if (!makeSlotChangeable(program, &error) || !finishInterruptedChange(program, slot, &error))
        return fail(error);

    QElapsedTimer clock;
    clock.start();
    if (parser.isSet(restore)) {
        if (!parser.positionalArguments().isEmpty())
            return fail(QStringLiteral("--restore takes no collection folder"));
        if (!restoreSynthetic(program, slot, {}, &error))
            return fail(error);
        if (!writeTurns(program, slot, {}, &error))
            return fail(error);
        for (const char* file : {"/name", "/list_ara.png", "/list_rus.png"})
            QFile::remove(slotWorkFolder(program, slot) + QString::fromLatin1(file));
        say(QStringLiteral("slot %1 holds the synthetic voice again").arg(slot));
        return 0;
    }
    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("name one collection folder (see --help)"));
    const QString collection = QDir(parser.positionalArguments().first()).absolutePath();
    if (!QFileInfo(collection).isDir())
        return fail(QStringLiteral("the collection folder %1 does not exist").arg(collection));

    // 1. Every file checked before anything changes.
    const std::vector<Recording> recordings = portionRecordings();
    zelan::tools::TerminalProgress checking(QStringLiteral("checking"), qsizetype(recordings.size()));
    const std::vector<Fault> faults = checkCollection(
        collection, [&](int sura, int aya) { return syntheticMs(program, sura, aya); },
        [&](int done, int) { checking.advance(done); });
    QStringList missing;
    int damaged = 0;
    for (const Fault& fault : faults) {
        say(QStringLiteral("  %1 %2").arg(fault.file, fault.what));
        if (fault.missing)
            missing << fault.file;
        else
            ++damaged;
    }
    if (damaged > 0 || (!missing.isEmpty() && !parser.isSet(keepMissing))) {
        return fail(QStringLiteral("%1 of the collection's files %2 at fault; nothing was changed%3")
                        .arg(faults.size())
                        .arg(faults.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"))
                        .arg(damaged == 0 ? QStringLiteral(" (--keep-missing keeps the slot's own recording for "
                                                           "the missing ones)")
                                          : QString()));
    }

    std::vector<SlotFile> files;
    std::map<std::pair<int, int>, QString> sources;
    for (const Recording& r : recordings) {
        files.push_back({r, missing.contains(r.file) ? QString() : QDir(collection).filePath(r.file)});
        if (!files.back().source.isEmpty())
            sources[{r.sura, r.aya}] = files.back().source;
    }

    // 2. The turns within the ayas that run over from one half to the next, where this reciter
    // reaches the second half's first word.
    const std::optional<std::vector<Turn>> synthetic = syntheticTurns(program, &error);
    if (!synthetic)
        return fail(error + QStringLiteral("; nothing was changed"));
    QElapsedTimer aligning;
    aligning.start();
    zelan::tools::TerminalProgress turnProgress(QStringLiteral("aligning"), qsizetype(synthetic->size()));
    const std::vector<Turn> turns =
        estimateTurns(program, *synthetic, sources, [&](int done, int) { turnProgress.advance(done); });
    const qint64 alignMs = aligning.elapsed();

    // 3. The slot replaced as a whole, then its turns.
    zelan::tools::TerminalProgress copying(QStringLiteral("importing"), qsizetype(files.size()));
    if (!replaceSlot(program, slot, files, [&](int done, int) { copying.advance(done); }, &error))
        return fail(error + QStringLiteral("; the slot is as it was"));
    // Without a name the list shows the collection's folder name.
    QString name = parser.value(nameOption).trimmed();
    if (name.isEmpty())
        name = QFileInfo(collection).fileName();
    if (!writeName(program, slot, name, &error))
        return fail(error);
    if (!writeTurns(program, slot, turns, &error))
        return fail(error + QStringLiteral("; the pages turn at the synthetic voice's marks"));
    say(QStringLiteral("slot %1%2: %3 recordings imported from %4%5 in %6 s (%7 turns aligned in %8 s)")
            .arg(slot)
            .arg(QStringLiteral(" (%1)").arg(name))
            .arg(recordings.size() - size_t(std::count_if(files.begin(), files.end(),
                                                             [](const SlotFile& f) { return f.source.isEmpty(); })))
            .arg(collection)
            .arg(missing.isEmpty() ? QString()
                                   : QStringLiteral("; the slot's own recording kept for %1 missing: %2")
                                         .arg(missing.size())
                                         .arg(missing.join(QStringLiteral(", "))))
            .arg(clock.elapsed() / 1000.0, 0, 'f', 1)
            .arg(turns.size())
            .arg(alignMs / 1000.0, 0, 'f', 1));
    return 0;
}
