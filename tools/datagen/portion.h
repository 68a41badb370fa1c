#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zelan::datagen {

// The text of the closing portion as the public source gives it: sura 1 and suras 78 to
// 114, with the Uthmani Arabic text and the Russian translation of every aya.
struct Aya {
    int number = 0;
    QString arabic;
    QString russian;
};

struct Sura {
    int number = 0;
    QString arabicName;      // "النبإ"
    QString transliteration; // "An-Naba"
    QString russianName;     // "Весть"
    bool medinan = false;    // the source's type: "meccan" or "medinan"
    std::vector<Aya> ayas;   // ayas 1..n
};

struct Portion {
    std::vector<Sura> suras; // 1, 78, 79, ..., 114
    // The opening formula that stands as aya 0 before every sura from 78 on: the text
    // (and translation) of sura 1, aya 1.
    QString openingArabic;
    QString openingRussian;

    const Sura& sura(int number) const;
    // Aya `aya` of sura `sora`, with aya 0 the opening formula (suras 78 to 114).
    Aya aya(int sora, int aya) const;
};

// Reads dist/quran_ru.json of the quran-json package. Returns nullopt when the file is
// missing, is no JSON of the expected shape, or lacks a sura or aya of the portion; `error`
// then names the file and what is wrong.
std::optional<Portion> loadPortion(const QString& quranRuJson, QString* error);

// The words of an aya's Arabic text, split on blanks: the same words are typeset one by one
// and spoken, so that a word event of the recording names a word of the page.
QStringList ayaWords(const QString& arabic);

} // namespace zelan::datagen
