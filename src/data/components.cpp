#include "components.h"

#include "connection.h"

#include <algorithm>

namespace zelan::data {

namespace {
const QString kMainAlias = QStringLiteral("trans_RUS");
const QString kModuleAlias = QStringLiteral("Trans_RUS");

std::unique_ptr<tables::Table> makeTable(const char* name, const QString& alias, const char* fileName,
                                         const QString& filter) {
    auto table = std::make_unique<tables::Table>(QString::fromLatin1(name), alias, QString::fromLatin1(fileName));
    table->setFilter(filter);
    table->setFiltered(!filter.isEmpty());
    return table;
}
} // namespace

namespace filters {
QString pagesPich() { return QStringLiteral("pagenum  >=1 AND pagenum <= 24 "); }
QString pageHalf(int page, int half) {
    return QStringLiteral("pagenum=") + QString::number(page) + QStringLiteral(" and halfnum=") + QString::number(half);
}
QString mainTranslations() { return QStringLiteral("soranum=1 OR soranum >=78"); }
QString language(int langNum) { return QStringLiteral("langNum=") + QString::number(langNum); }
QString printTranslations() { return QStringLiteral("soranum=1 or (soranum >= 78 and  soranum <=114)"); }
QString langs() { return QStringLiteral("langNum <> 1"); }
QString suraIndex() { return QStringLiteral("soranum=1 or soranum >=78"); }
QString suraIndexByPlace(int descendOrder) {
    return QStringLiteral("(soranum=1 or soranum >=78)") + QStringLiteral(" and DecendOrder=") +
           QString::number(descendOrder);
}
QString printRange(int startSora, int endSora) {
    if (startSora == 1 && endSora != 1) {
        return QStringLiteral("soranum = 1 ") + QStringLiteral(" or (soranum >=78 and soranum <=") +
               QString::number(endSora) + QStringLiteral(")");
    }
    if (startSora != 1 && endSora == 1) {
        return QStringLiteral("soranum = 1 ") + QStringLiteral(" or (soranum >=78 and soranum <=") +
               QString::number(startSora) + QStringLiteral(")");
    }
    return QStringLiteral("soranum >= ") + QString::number(std::min(startSora, endSora)) +
           QStringLiteral(" AND soranum <= ") + QString::number(std::max(startSora, endSora));
}
} // namespace filters

namespace sql {
QStringList ayaLines() {
    return {QStringLiteral("select  pagenum, x1aya, x2aya, soranum, ayanum, ylinefromtop, halfnum "),
            QStringLiteral("from lines_ruvo"),
            QStringLiteral("where soranum=:soranum"),
            QStringLiteral("          and ayanum=:ayanum"),
            QStringLiteral("          and halfNum=:halfNum"),
            QStringLiteral("          and pageNum=:pageNum"),
            QStringLiteral("order by ylinefromtop")};
}
QStringList keraat() {
    return {QStringLiteral("select * from lines_ruvo"), QStringLiteral("where yLinefromTop>=:yLine"),
            QStringLiteral("       and pagenum=:pagenum"), QStringLiteral("       and halfnum=:halfnum"),
            QStringLiteral("order by soranum, ayanum, ylinefromtop")};
}
QStringList lineHeight() {
    return {QStringLiteral("select  ylinefromtop from lines_ruvo"), QStringLiteral("where soranum=:soranum"),
            QStringLiteral("and pagenum=:pagenum"),                 QStringLiteral("and halfnum=:halfnum"),
            QStringLiteral("and ylinefromtop<:linefromtop"),       QStringLiteral("order by ylinefromtop")};
}
QStringList lastAya() {
    return {QStringLiteral("select  lastaya, timedelay, totalAyaTime"), QStringLiteral("from lines_ruvo"),
            QStringLiteral("where soranum=:soranum"), QStringLiteral("          and ayanum=:ayanum")};
}
QStringList pageHalf() {
    return {QStringLiteral("SELECT  pagenum, halfnum  FROM  Lines_ruvo"), QStringLiteral("WHERE  soranum=:soranum"),
            QStringLiteral("AND       ayanum=:ayanum"), QStringLiteral("ORDER BY  pagenum, halfnum")};
}
QStringList halfNum() {
    return {QStringLiteral("select * from lines_ruvo"), QStringLiteral("where soranum=:soranum"),
            QStringLiteral("       and ayaNum=:ayaNum")};
}
QStringList soraAya() {
    return {QStringLiteral("SELECT  soranum, ayanum, pagenum, halfnum  FROM  Lines_ruvo"),
            QStringLiteral("WHERE  pagenum=:pagenum"), QStringLiteral("AND       halfnum=:halfnum"),
            QStringLiteral("ORDER BY  soranum, ayanum")};
}
QStringList pageHalfEx() {
    return {QStringLiteral("SELECT  pagenum, halfnum  FROM  Lines_ruvo"), QStringLiteral("WHERE  soranum=:soranum"),
            QStringLiteral("AND       ayanum=:ayanum"), QStringLiteral("ORDER BY  pagenum, halfnum desc")};
}
QStringList pageHalfEx2() { return pageHalfEx(); }
QStringList pageNum2() {
    return {QStringLiteral("select  pagenum"), QStringLiteral("from lines_ruvo"),
            QStringLiteral("where soranum=:soranum"), QStringLiteral("          and ayanum=:ayanum"),
            QStringLiteral("order by pagenum")};
}
} // namespace sql

std::unique_ptr<tables::Table> createPagesPichTable() {
    auto table = makeTable("pagesPich_tb", kMainAlias, "pagesPich.db", filters::pagesPich());
    table->setIndexFieldNames(QStringLiteral("PageNum;HalfNum"));
    table->setReadOnly(true);
    return table;
}

std::unique_ptr<tables::Table> createLinesRuvoTable() {
    auto table = makeTable("lines_ruvo_tb", kMainAlias, "LINES_ruvo.DB", QString());
    table->setReadOnly(true);
    return table;
}

std::unique_ptr<tables::Table> createMainTranslationsTable() {
    auto table = makeTable("Translations_tb", kMainAlias, "Translations.db", filters::mainTranslations());
    table->setIndexName(QStringLiteral("sora_aya_idx"));
    table->setMasterFields(QStringLiteral("soranum;ayanum"));
    table->setReadOnly(true);
    return table;
}

std::unique_ptr<tables::Table> createLangsAraTable() {
    auto table = makeTable("langs_ara_tb", kMainAlias, "langs_ara.db", filters::langs());
    table->setIndexName(QStringLiteral("shortName_idx"));
    table->setReadOnly(true);
    return table;
}

std::unique_ptr<tables::Table> createPrintTranslationsTable() {
    auto table = makeTable("Translations_tb", kModuleAlias, "Translations.db", filters::printTranslations());
    table->setIndexFieldNames(QStringLiteral("SoraNum;AyaNum"));
    table->setReadOnly(true);
    return table;
}

std::unique_ptr<tables::Table> createTransTempTable() {
    return makeTable("transTemp_tb", kModuleAlias, "transTemp.db", filters::printTranslations());
}

std::unique_ptr<tables::Table> createZelanIndexTable() {
    auto table = makeTable("ZelanIndex_tb", kModuleAlias, "ZelanIndex.DB", filters::suraIndex());
    table->setReadOnly(true);
    return table;
}

std::unique_ptr<tables::Query> createQuery(const QString& name, const QStringList& sqlLines) {
    return std::make_unique<tables::Query>(name, kMainAlias, sqlLines);
}

} // namespace zelan::data
