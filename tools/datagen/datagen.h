#pragma once

#include <QString>

namespace zelan::datagen {

struct BuildOptions {
    QString source;       // dist/quran_ru.json of the quran-json package
    QString pages;        // src/lists/HafsLists.ts of the quran-meta package: the printed pages
    QString out;          // the program folder to fill
    QString workerProgram; // this program, run again as sound workers
    QString debugFolder;  // when set: each half page with its line bands drawn over it, as PNG
    QString sheetsFolder; // when set: a contact sheet of each picture library, as PNG
    int processes = 2;
};

// Builds (or brings up to date) the data of the program folder: the tables under trans_RUS
// with the page and translation pictures, and the recordings under Translations. Each part is
// rebuilt only when its inputs changed. Returns false with `error` naming what failed and,
// for a missing font, package or tool, what to install.
bool buildProgramData(const BuildOptions& options, QString* error);

} // namespace zelan::datagen
