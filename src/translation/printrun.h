#pragma once

#include <QString>
#include <compare>
#include <optional>

namespace zelan::translation {

// An aya by sura and aya number, ordered as the translation table orders its records: sura 1
// before sura 78, and within a sura the opening formula (aya 0) before aya 1.
struct AyaKey {
    int sora = 0;
    int aya = 0;
    auto operator<=>(const AyaKey&) const = default;
};

// The ayas that a print covers, both ends included.
struct PrintRun {
    AyaKey first;
    AyaKey last;
    bool contains(AyaKey key) const { return first <= key && key <= last; }
};

// The run that the print options describe: the smaller sura is the first, and each end takes
// the aya typed on its side; with one sura on both sides, the smaller aya is the first.
PrintRun printRun(int startSora, int startAya, int endSora, int endAya);

// The aya number typed in a box, or nullopt when the text is not an integer; `error` then
// names the text, as the program's conversion message does.
std::optional<int> ayaNumber(const QString& text, QString* error = nullptr);

// The text printed in the aya cell of the report: the opening formula (aya "0") prints as
// "--", any other text as it is.
QString ayaCellText(const QString& text);

} // namespace zelan::translation
