#include "reciters.h"

#include "reciterslot.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <map>
#include <tuple>

namespace zelan::recitation {

QString reciterFolder(int reciterNumber) {
    static const char* const folders[] = {"Zorvik", "Pellune", "Sarnex", "Wendak"};
    return reciterNumber >= 1 && reciterNumber <= 4 ? QString::fromLatin1(folders[reciterNumber - 1]) : QString();
}

namespace {

// The rows of the turn table, read again when the file changes.
struct TurnTable {
    QString path;
    QDateTime modified;
    qint64 size = -1;
    std::map<std::tuple<int, int, int>, float> fractions;
};

} // namespace

std::optional<float> importedTurnFraction(int reciterNumber, int sora, int aya) {
    if (reciterFolder(reciterNumber).isEmpty() || !slotImported(QDir::currentPath(), reciterNumber))
        return std::nullopt;
    static TurnTable table;
    const QString path = QDir::currentPath() + QStringLiteral("/trans_RUS/ReciterTurns.db");
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    if (table.path != path || table.modified != info.lastModified() || table.size != info.size()) {
        table = {path, info.lastModified(), info.size(), {}};
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(db, "SELECT slot, soranum, ayanum, timedelay, totalAyaTime FROM ReciterTurns", -1,
                               &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                const double delay = sqlite3_column_double(statement, 3);
                const double total = sqlite3_column_double(statement, 4);
                // A share outside the recording is no turn.
                if (total > 0 && delay > 0 && delay < total)
                    table.fractions[{sqlite3_column_int(statement, 0), sqlite3_column_int(statement, 1),
                                     sqlite3_column_int(statement, 2)}] = float(delay / total);
            }
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    const auto found = table.fractions.find({reciterNumber, sora, aya});
    if (found == table.fractions.end())
        return std::nullopt;
    return found->second;
}

QImage importedReciterEntry(int reciterNumber, bool russian) {
    // A slot whose synthetic voice was put back keeps no picture that counts.
    if (reciterFolder(reciterNumber).isEmpty() || !slotImported(QDir::currentPath(), reciterNumber))
        return {};
    const QString work = slotWorkFolder(QDir::currentPath(), reciterNumber);
    const QString path = work + (russian ? QStringLiteral("/list_rus.png") : QStringLiteral("/list_ara.png"));
    if (QFileInfo(path).size() > 1024 * 1024) // an entry is a small picture; a larger file is not one
        return {};
    QImage picture(path);
    // The entry stands in the list's field: a picture of another size is not one of ours.
    if (picture.isNull() || picture.width() > 140 || picture.height() > 26)
        return {};
    return picture;
}

} // namespace zelan::recitation
