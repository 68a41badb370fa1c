#include "turns.h"

#include "align.h"
#include "reciterslot.h"
#include "sounddecoder.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace zelan::importer {

namespace {

// A database handle that closes itself.
struct Database {
    sqlite3* handle = nullptr;
    ~Database() { sqlite3_close(handle); }
};

QString sqliteError(sqlite3* db, const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot be opened"));
}

constexpr int kReferenceSlot = 2;

} // namespace

std::optional<std::vector<Turn>> syntheticTurns(const QString& program, QString* error) {
    const QString path = program + QStringLiteral("/trans_RUS/LINES_ruvo.DB");
    Database db;
    if (!QFileInfo(path).isFile() ||
        sqlite3_open_v2(path.toUtf8().constData(), &db.handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("the line table %1 cannot be opened").arg(path);
        return std::nullopt;
    }
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT DISTINCT soranum, ayanum, timedelay, totalAyaTime FROM LINES_ruvo "
                      "WHERE lastaya = 1 AND timedelay > 0 ORDER BY soranum, ayanum";
    if (sqlite3_prepare_v2(db.handle, sql, -1, &statement, nullptr) != SQLITE_OK) {
        *error = sqliteError(db.handle, path);
        return std::nullopt;
    }
    std::vector<Turn> turns;
    while (sqlite3_step(statement) == SQLITE_ROW)
        turns.push_back({sqlite3_column_int(statement, 0), sqlite3_column_int(statement, 1),
                         sqlite3_column_double(statement, 2), sqlite3_column_double(statement, 3)});
    sqlite3_finalize(statement);
    return turns;
}

QString referenceRecording(const QString& program, int sura, int aya) {
    return recitation::syntheticRecording(program, kReferenceSlot, sura, aya);
}

std::vector<Turn> estimateTurns(const QString& program, const std::vector<Turn>& synthetic,
                                const std::map<std::pair<int, int>, QString>& files,
                                const std::function<void(int, int)>& progress) {
    std::vector<Turn> turns;
    int done = 0;
    for (const Turn& mark : synthetic) {
        const auto file = files.find({mark.sura, mark.aya});
        if (file == files.end()) {
            if (progress)
                progress(++done, int(synthetic.size()));
            continue; // the slot keeps its own recording of this aya
        }
        std::uint32_t code = 0;
        const auto real = media::decodeSoundFile(file->second, &code);
        const auto reference = media::decodeSoundFile(referenceRecording(program, mark.sura, mark.aya), &code);
        Turn turn = mark;
        if (real) {
            turn.totalMs = real->lengthMs();
            turn.timedelayMs = mark.totalMs > 0 ? mark.timedelayMs / mark.totalMs * turn.totalMs : 0;
            if (reference) {
                const Features ref = features(*reference), rec = features(*real);
                const double at = alignTime(ref, rec, mark.timedelayMs);
                if (at > 0)
                    turn.timedelayMs = snapToPause(rec, at);
            }
            turns.push_back(turn);
        }
        if (progress)
            progress(++done, int(synthetic.size()));
    }
    return turns;
}

bool writeTurns(const QString& program, int slot, const std::vector<Turn>& turns, QString* error) {
    const QString path = program + QStringLiteral("/trans_RUS/ReciterTurns.db");
    Database db;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db.handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        *error = sqliteError(db.handle, path);
        return false;
    }
    auto exec = [&](const char* sql) { return sqlite3_exec(db.handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK; };
    if (!exec("CREATE TABLE IF NOT EXISTS ReciterTurns (slot SMALLINT, soranum SMALLINT, ayanum SMALLINT, "
              "timedelay REAL, totalAyaTime REAL, PRIMARY KEY (slot, soranum, ayanum))") ||
        !exec("BEGIN")) {
        *error = sqliteError(db.handle, path);
        return false;
    }
    sqlite3_stmt* remove = nullptr;
    sqlite3_stmt* insert = nullptr;
    bool ok = sqlite3_prepare_v2(db.handle, "DELETE FROM ReciterTurns WHERE slot = ?", -1, &remove, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db.handle, "INSERT INTO ReciterTurns VALUES (?, ?, ?, ?, ?)", -1, &insert, nullptr) ==
                  SQLITE_OK;
    ok = ok && sqlite3_bind_int(remove, 1, slot) == SQLITE_OK && sqlite3_step(remove) == SQLITE_DONE;
    for (const Turn& turn : turns) {
        if (!ok)
            break;
        sqlite3_reset(insert);
        ok = sqlite3_bind_int(insert, 1, slot) == SQLITE_OK && sqlite3_bind_int(insert, 2, turn.sura) == SQLITE_OK &&
             sqlite3_bind_int(insert, 3, turn.aya) == SQLITE_OK &&
             sqlite3_bind_double(insert, 4, turn.timedelayMs) == SQLITE_OK &&
             sqlite3_bind_double(insert, 5, turn.totalMs) == SQLITE_OK && sqlite3_step(insert) == SQLITE_DONE;
    }
    sqlite3_finalize(remove);
    sqlite3_finalize(insert);
    if (!ok || !exec("COMMIT")) {
        *error = sqliteError(db.handle, path);
        exec("ROLLBACK");
        return false;
    }
    return true;
}

} // namespace zelan::importer
