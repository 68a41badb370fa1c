#include "schema.h"

#include "connection.h"

namespace zelan::data {

namespace {

FieldDef smallInt(const char* name) { return {QString::fromLatin1(name), FieldType::SmallInt}; }
FieldDef alpha(const char* name, int size) { return {QString::fromLatin1(name), FieldType::Alpha, size}; }
FieldDef number(const char* name) { return {QString::fromLatin1(name), FieldType::Number}; }
FieldDef graphic(const char* name) { return {QString::fromLatin1(name), FieldType::Graphic}; }

TableDef table(const char* fileName, std::vector<FieldDef> fields, std::vector<IndexDef> indexes) {
    TableDef def;
    def.fileName = QString::fromLatin1(fileName);
    def.tableName = def.fileName.left(def.fileName.lastIndexOf(QLatin1Char('.')));
    def.fields = std::move(fields);
    def.indexes = std::move(indexes);
    return def;
}

QString sqlType(const FieldDef& field) {
    switch (field.type) {
    case FieldType::SmallInt:
        return QStringLiteral("SMALLINT");
    case FieldType::Alpha:
        return QStringLiteral("VARCHAR(%1)").arg(field.size);
    case FieldType::Number:
        return QStringLiteral("REAL");
    case FieldType::Graphic:
        return QStringLiteral("BLOB");
    }
    return {};
}

} // namespace

const TableDef& pagesPichTable() {
    static const TableDef def = table("pagesPich.db", {smallInt("PageNum"), smallInt("HalfNum"), graphic("PagePich")},
                                      {{QStringLiteral("pagesPich_key"), {QStringLiteral("PageNum"), QStringLiteral("HalfNum")}, true}});
    return def;
}

const TableDef& linesRuvoTable() {
    // Rows are stored in reading order (page, half, line, right to left), which is the
    // order in which a query without ORDER BY yields the rows of one aya.
    static const TableDef def = table(
        "LINES_ruvo.DB",
        {smallInt("pagenum"), smallInt("halfnum"), smallInt("soranum"), smallInt("ayanum"), smallInt("ylinefromtop"),
         smallInt("x1aya"), smallInt("x2aya"), smallInt("lastaya"), number("timedelay"), number("totalAyaTime")},
        {{QStringLiteral("lines_sora_aya"), {QStringLiteral("soranum"), QStringLiteral("ayanum")}},
         {QStringLiteral("lines_page_half"),
          {QStringLiteral("pagenum"), QStringLiteral("halfnum"), QStringLiteral("ylinefromtop")}}});
    return def;
}

const TableDef& translationsTable() {
    static const TableDef def =
        table("Translations.db",
              {smallInt("SoraNum"), smallInt("AyaNum"), smallInt("LangNum"), smallInt("BookNum"), graphic("AyaTransPick"),
               graphic("AyaTransFooter"), alpha("SoundTransFile", 20), alpha("SoundFooterFile", 20)},
              {{QStringLiteral("sora_aya_idx"),
                {QStringLiteral("SoraNum"), QStringLiteral("AyaNum"), QStringLiteral("LangNum")}}});
    return def;
}

const TableDef& langsAraTable() {
    static const TableDef def =
        table("langs_ara.db",
              {smallInt("langNum"), smallInt("TelawaBy"), alpha("langname", 30), alpha("shortName", 10)},
              {{QStringLiteral("shortName_idx"), {QStringLiteral("shortName")}}});
    return def;
}

const TableDef& zelanIndexTable() {
    // Order of revelation: the Makkan suras first, then the Madinan ones, each in sura order.
    static const TableDef def = table(
        "ZelanIndex.DB",
        {smallInt("SoraNum"), alpha("SoraName", 17), alpha("WhereDescend", 17), smallInt("DecendOrder"),
         smallInt("NumOfayat"), alpha("SoraName_RUS", 17), alpha("WhereDescend_RUS", 17)},
        {{QStringLiteral("SoraNum_idx"), {QStringLiteral("SoraNum")}, true},
         {QStringLiteral("DescendOrder_idx"), {QStringLiteral("DecendOrder"), QStringLiteral("SoraNum")}}});
    return def;
}

const TableDef& transTempTable() {
    static const TableDef def = table("transTemp.db", {smallInt("soranum"), smallInt("ayanum")}, {});
    return def;
}

std::vector<const TableDef*> allTables() {
    return {&pagesPichTable(), &linesRuvoTable(), &translationsTable(),
            &langsAraTable(),  &zelanIndexTable(), &transTempTable()};
}

QStringList createStatements(const TableDef& def) {
    QStringList columns;
    for (const FieldDef& field : def.fields)
        columns.append(tables::quoteIdentifier(field.name) + QLatin1Char(' ') + sqlType(field));
    QStringList statements{QStringLiteral("CREATE TABLE %1 (%2)")
                               .arg(tables::quoteIdentifier(def.tableName), columns.join(QLatin1String(", ")))};
    for (const IndexDef& index : def.indexes) {
        QStringList fields;
        for (const QString& field : index.fields)
            fields.append(tables::quoteIdentifier(field));
        statements.append(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                              .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
                                   tables::quoteIdentifier(index.name), tables::quoteIdentifier(def.tableName),
                                   fields.join(QLatin1String(", "))));
    }
    return statements;
}

void createEmptyTables(const QString& folder, const std::vector<const TableDef*>& defs) {
    for (const TableDef* def : defs)
        tables::createTableFile(folder, def->fileName, createStatements(*def));
}

} // namespace zelan::data
