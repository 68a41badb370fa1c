#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace zelan::datagen {

// Where a printed page of the standard 15-line copy begins: sura 1 stands on its page 1 and
// suras 78 to 114 on its pages 582 to 604, so page p of the program (p = 2 ... 24) is printed
// page 580 + p.
struct PageStart {
    int sura = 0;
    int aya = 0;
    bool operator==(const PageStart&) const = default;
};

constexpr int kFirstPrintedPage = 582; // program page 2
constexpr int kLastPrintedPage = 604;  // program page 24

// Reads the page list of the Hafs copy from the npm package quran-meta
// (src/lists/HafsLists.ts: PageList, the first aya of every page as a number counted over
// the whole Quran, and SurahList, each sura's first aya number and aya count). Returns the
// first aya of program pages 2 to 24, in page order, or nullopt with `error` naming the file
// and what is wrong: missing, a list not found or not closed, a number that is not one, lists
// of the wrong length, or a page start outside suras 78 to 114.
std::optional<std::vector<PageStart>> loadPageStarts(const QString& hafsListsTs, QString* error);

} // namespace zelan::datagen
