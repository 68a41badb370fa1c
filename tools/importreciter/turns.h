#pragma once

// The mid-aya turns of an imported reciter: for every aya that runs over from the first half
// of its page to the second, the moment the reciter reaches the second half's first word.
// They are estimated against the synthetic recording whose word starts gave the line table
// its turn marks, and kept per slot in trans_RUS/ReciterTurns.db.

#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace zelan::importer {

// A turn mark: `timedelayMs` into a recording of `totalMs`.
struct Turn {
    int sura = 0, aya = 0;
    double timedelayMs = 0, totalMs = 0;
};

// The line table's turn marks (trans_RUS/LINES_ruvo.DB), from the synthetic voice; nullopt
// with `error` when the table cannot be read.
std::optional<std::vector<Turn>> syntheticTurns(const QString& program, QString* error);

// The turns of the recordings `files` ((sura, aya) to the file) for every synthetic turn:
// aligned with the reference recording of the same aya and moved to the end of a nearby
// pause. A file or reference that cannot be decoded or aligned keeps the synthetic share of
// its length. `progress` is told of each aya done.
std::vector<Turn> estimateTurns(const QString& program, const std::vector<Turn>& synthetic,
                                const std::map<std::pair<int, int>, QString>& files,
                                const std::function<void(int, int)>& progress = {});

// The reference recording of an aya: the synthetic voice of reciter slot 2, whose word starts
// the line table's marks come from (kept aside when that slot holds an import).
QString referenceRecording(const QString& program, int sura, int aya);

// Replaces slot `slot`'s rows of trans_RUS/ReciterTurns.db with `turns` (none: removes them),
// creating the table when it is not there. False with `error` naming the file.
bool writeTurns(const QString& program, int slot, const std::vector<Turn>& turns, QString* error);

} // namespace zelan::importer
