#pragma once

#include "query.h"
#include "table.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace zelan::data {

// Filter texts of the tables, as the windows set them.
namespace filters {
// pagesPich_tb, active from the start: every page.
QString pagesPich();
// pagesPich_tb when a half is shown: "pagenum=5 and halfnum=2".
QString pageHalf(int page, int half);
// Translations_tb of the main window, active from the start.
QString mainTranslations();
// Translations_tb of the main window after a language is chosen: "langNum=3".
QString language(int langNum);
// Translations_tb and transTemp_tb of the print data module, active from the start.
QString printTranslations();
// langs_ara_tb: every language but number 1.
QString langs();
// ZelanIndex_tb: every sura of the portion; only the Makkan (1) or Madinan (2) ones.
QString suraIndex();
QString suraIndexByPlace(int descendOrder);
// Translations_tb of the print data module for a run of suras from `startSora` to
// `endSora` (either order, sura 1 before sura 78).
QString printRange(int startSora, int endSora);
} // namespace filters

// The SQL texts of the ten queries on the line table, line by line.
namespace sql {
QStringList ayaLines();
QStringList keraat();
QStringList lineHeight();
QStringList lastAya();
QStringList pageHalf();
QStringList halfNum();
QStringList soraAya();
QStringList pageHalfEx();
QStringList pageHalfEx2();
QStringList pageNum2();
} // namespace sql

// The table components as the windows declare them, with their design filters switched on.
// Main reading window:
std::unique_ptr<tables::Table> createPagesPichTable();       // pagesPich_tb
std::unique_ptr<tables::Table> createLinesRuvoTable();       // lines_ruvo_tb
std::unique_ptr<tables::Table> createMainTranslationsTable(); // Translations_tb (detail of ayaLines_qr)
std::unique_ptr<tables::Table> createLangsAraTable();        // langs_ara_tb
// Print data module (the alias spelt "Trans_RUS" there):
std::unique_ptr<tables::Table> createPrintTranslationsTable(); // Translations_tb
std::unique_ptr<tables::Table> createTransTempTable();         // transTemp_tb
// Sura index window:
std::unique_ptr<tables::Table> createZelanIndexTable(); // ZelanIndex_tb

// A query component of the main window, named as the window names it ("ayaLines_qr").
std::unique_ptr<tables::Query> createQuery(const QString& name, const QStringList& sqlLines);

} // namespace zelan::data
