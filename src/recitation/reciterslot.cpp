#include "reciterslot.h"

#include "reciters.h"

#include "ayacount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

namespace zelan::recitation {

namespace {

QString recordingsFolder(const QString& program) { return program + QStringLiteral("/Translations/Sound_aya"); }

// Beside the recordings, so that a change's renames stay on one file system.
QString workFolder(const QString& program, int slot) {
    return recordingsFolder(program) + QStringLiteral("/.import/") + slotFolderName(slot);
}

QString suraName(int sura) { return QStringLiteral("sora%1").arg(sura); }

std::vector<int> portionSuras() {
    std::vector<int> suras{1};
    for (int sura = 78; sura <= 114; ++sura)
        suras.push_back(sura);
    return suras;
}

// The journal of a committed change: the tree the new sura folders come from, and the one
// the slot's present folders go to.
struct Journal {
    QString source, keep;
};

QString journalPath(const QString& work) { return work + QStringLiteral("/journal"); }

bool writeJournal(const QString& work, const Journal& journal, QString* error) {
    QSaveFile file(journalPath(work));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QStringLiteral("source=%1\nkeep=%2\n").arg(journal.source, journal.keep).toUtf8()) < 0 ||
        !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

std::optional<Journal> readJournal(const QString& work) {
    QFile file(journalPath(work));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Journal journal;
    for (const QByteArray& line : file.read(4096).split('\n')) {
        if (line.startsWith("source="))
            journal.source = QString::fromUtf8(line.mid(7));
        else if (line.startsWith("keep="))
            journal.keep = QString::fromUtf8(line.mid(5));
    }
    const QStringList known{QStringLiteral("new"), QStringLiteral("synthetic"), QStringLiteral("old")};
    if (!known.contains(journal.source) || !known.contains(journal.keep) || journal.source == journal.keep)
        return std::nullopt;
    return journal;
}

bool rename(const QString& from, const QString& to, QString* error) {
    QDir().mkpath(QFileInfo(to).absolutePath());
    if (!QDir().rename(from, to)) {
        *error = QStringLiteral("cannot move %1 to %2").arg(from, to);
        return false;
    }
    return true;
}

// Moves each sura folder of `source` into the slot, the slot's present folder first into
// `keep`. A sura already moved (its source folder gone) is passed over, and one whose present
// folder was moved before an interruption only takes the new one, so the swap can be run
// again after an interruption.
bool swap(const QString& program, int slot, const Journal& journal, QString* error) {
    const QString work = workFolder(program, slot);
    for (const int sura : portionSuras()) {
        const QString from = work + QLatin1Char('/') + journal.source + QLatin1Char('/') + suraName(sura);
        if (!QFileInfo(from).isDir())
            continue;
        const QString target = slotSuraFolder(program, slot, sura);
        const QString kept = work + QLatin1Char('/') + journal.keep + QLatin1Char('/') + suraName(sura);
        if (QFileInfo::exists(target) && !rename(target, kept, error))
            return false;
        if (!rename(from, target, error))
            return false;
    }
    // The change is whole: what it replaced goes unless it is the synthetic voice.
    QDir(work + QStringLiteral("/old")).removeRecursively();
    QDir(work + QLatin1Char('/') + journal.source).removeRecursively();
    if (!QFile::remove(journalPath(work))) {
        *error = QStringLiteral("cannot remove %1").arg(journalPath(work));
        return false;
    }
    return true;
}

// A link to a folder becomes a folder of links to its entries, built beside and put in place
// by renaming.
bool unlinkFolder(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (!info.isSymLink())
        return true;
    const QString target = info.symLinkTarget();
    const QString beside = path + QStringLiteral(".zelan-new");
    QDir(beside).removeRecursively();
    if (!QDir().mkpath(beside)) {
        *error = QStringLiteral("cannot create %1").arg(beside);
        return false;
    }
    const QStringList entries = QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (!QFile::link(target + QLatin1Char('/') + entry, beside + QLatin1Char('/') + entry)) {
            *error = QStringLiteral("cannot link %1 in %2").arg(entry, beside);
            return false;
        }
    }
    if (!QFile::remove(path) || !QDir().rename(beside, path)) {
        *error = QStringLiteral("cannot put the folder %1 in place of the link %2").arg(beside, path);
        return false;
    }
    return true;
}

bool commitAndSwap(const QString& program, int slot, const Journal& journal, QString* error) {
    return writeJournal(workFolder(program, slot), journal, error) && swap(program, slot, journal, error);
}

} // namespace

std::vector<Recording> portionRecordings() {
    auto fileName = [](int sura, int aya) {
        return QStringLiteral("%1%2.mp3").arg(sura, 3, 10, QLatin1Char('0')).arg(aya, 3, 10, QLatin1Char('0'));
    };
    std::vector<Recording> recordings;
    for (int aya = 1; aya <= data::ayaCount(1); ++aya)
        recordings.push_back({1, aya, fileName(1, aya)});
    for (int sura = 78; sura <= 114; ++sura) {
        recordings.push_back({sura, 0, fileName(1, 1)});
        for (int aya = 1; aya <= data::ayaCount(sura); ++aya)
            recordings.push_back({sura, aya, fileName(sura, aya)});
    }
    return recordings;
}

QString slotFolderName(int slot) { return reciterFolder(slot); }

QString slotSuraFolder(const QString& program, int slot, int sura) {
    return recordingsFolder(program) + QLatin1Char('/') + suraName(sura) + QStringLiteral("/Tivlo/") +
           slotFolderName(slot);
}

bool makeSlotChangeable(const QString& program, QString* error) {
    const QString translations = program + QStringLiteral("/Translations");
    if (!unlinkFolder(translations, error) || !unlinkFolder(recordingsFolder(program), error))
        return false;
    for (const int sura : portionSuras()) {
        const QString folder = recordingsFolder(program) + QLatin1Char('/') + suraName(sura);
        if (!unlinkFolder(folder, error) || !unlinkFolder(folder + QStringLiteral("/Tivlo"), error))
            return false;
    }
    return true;
}

QString slotWorkFolder(const QString& program, int slot) { return workFolder(program, slot); }

QString syntheticRecording(const QString& program, int slot, int sura, int aya) {
    const QString name = QStringLiteral("/a%1.mp3").arg(aya);
    if (slotImported(program, slot))
        return workFolder(program, slot) + QStringLiteral("/synthetic/") + suraName(sura) + name;
    return slotSuraFolder(program, slot, sura) + name;
}

bool slotImported(const QString& program, int slot) {
    return QFileInfo(workFolder(program, slot) + QStringLiteral("/synthetic")).isDir();
}

namespace {

// Completes a committed change; with `dropUncommitted`, also clears the staging tree of one
// that never reached its journal.
bool finish(const QString& program, int slot, bool dropUncommitted, QString* error) {
    const QString work = workFolder(program, slot);
    if (const std::optional<Journal> journal = readJournal(work))
        return swap(program, slot, *journal, error);
    if (QFileInfo::exists(journalPath(work))) {
        *error = QStringLiteral("the journal %1 is damaged; move the folders of %2 back by hand")
                     .arg(journalPath(work), work);
        return false;
    }
    if (dropUncommitted) {
        QDir(work + QStringLiteral("/new")).removeRecursively();
        QDir(work + QStringLiteral("/old")).removeRecursively();
    }
    return true;
}

// One change of a slot at a time: the lock lives in the slot's work folder and is taken over
// when the process that held it has ended.
struct SlotLock {
    explicit SlotLock(const QString& program, int slot)
        : made(QDir().mkpath(workFolder(program, slot))), file(workFolder(program, slot) + QStringLiteral("/lock")) {
        file.setStaleLockTime(0);
    }
    bool take(int slot, QString* error) {
        if (made && file.tryLock(0))
            return true;
        *error = file.error() == QLockFile::LockFailedError
                     ? QStringLiteral("another change of slot %1 is under way").arg(slot)
                     : QStringLiteral("cannot take the lock %1 (is the folder writable?)").arg(file.fileName());
        return false;
    }
    bool made;
    QLockFile file;
};

} // namespace

bool finishInterruptedChange(const QString& program, int slot, QString* error) {
    if (slotFolderName(slot).isEmpty()) {
        *error = QStringLiteral("there is no slot %1: the slots are 1 to 4").arg(slot);
        return false;
    }
    SlotLock lock(program, slot);
    return lock.take(slot, error) && finish(program, slot, true, error);
}

void completeCommittedChanges(const QString& program) {
    for (int slot = 1; slot <= 4; ++slot) {
        const QString work = workFolder(program, slot);
        if (!QFileInfo::exists(journalPath(work)))
            continue;
        SlotLock lock(program, slot);
        QString error;
        if (lock.take(slot, &error))
            finish(program, slot, false, &error);
    }
}

bool replaceSlot(const QString& program, int slot, const std::vector<SlotFile>& files, const Progress& progress,
                 QString* error) {
    if (slotFolderName(slot).isEmpty()) {
        *error = QStringLiteral("there is no slot %1: the slots are 1 to 4").arg(slot);
        return false;
    }
    SlotLock lock(program, slot);
    if (!lock.take(slot, error) || !finish(program, slot, true, error))
        return false;
    const QString work = workFolder(program, slot);
    const QString staging = work + QStringLiteral("/new");
    int done = 0;
    for (const SlotFile& file : files) {
        const Recording& r = file.recording;
        const QString name = QStringLiteral("a%1.mp3").arg(r.aya);
        const QString folder = staging + QLatin1Char('/') + suraName(r.sura);
        const QString source = file.source.isEmpty() ? slotSuraFolder(program, slot, r.sura) + QLatin1Char('/') + name
                                                     : file.source;
        const bool present = QFileInfo(source).isFile();
        if (present && (!QDir().mkpath(folder) || !QFile::copy(source, folder + QLatin1Char('/') + name))) {
            *error = QStringLiteral("cannot copy %1 to %2 (is the folder writable and the disk not full?)")
                         .arg(source, folder);
            QDir(staging).removeRecursively();
            return false;
        }
        if (!present && !file.source.isEmpty()) {
            *error = QStringLiteral("%1 is gone").arg(source);
            QDir(staging).removeRecursively();
            return false;
        }
        if (progress)
            progress(++done, int(files.size()));
    }
    const QString keep = slotImported(program, slot) ? QStringLiteral("old") : QStringLiteral("synthetic");
    return commitAndSwap(program, slot, {QStringLiteral("new"), keep}, error);
}

bool restoreSynthetic(const QString& program, int slot, const Progress& progress, QString* error) {
    if (slotFolderName(slot).isEmpty()) {
        *error = QStringLiteral("there is no slot %1: the slots are 1 to 4").arg(slot);
        return false;
    }
    SlotLock lock(program, slot);
    if (!lock.take(slot, error) || !finish(program, slot, true, error))
        return false;
    if (!slotImported(program, slot)) {
        *error = QStringLiteral("slot %1 holds the synthetic voice already").arg(slot);
        return false;
    }
    const bool ok = commitAndSwap(program, slot, {QStringLiteral("synthetic"), QStringLiteral("old")}, error);
    if (ok && progress)
        progress(1, 1);
    return ok;
}

} // namespace zelan::recitation
