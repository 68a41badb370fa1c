#include "portion.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <stdexcept>

namespace zelan::datagen {

const Sura& Portion::sura(int number) const {
    for (const Sura& s : suras) {
        if (s.number == number)
            return s;
    }
    throw std::out_of_range("sura outside the portion");
}

Aya Portion::aya(int sora, int aya) const {
    if (aya == 0 && sora != 1)
        return Aya{0, openingArabic, openingRussian};
    const Sura& s = sura(sora);
    if (aya < 1 || aya > int(s.ayas.size()))
        throw std::out_of_range("aya outside the sura");
    return s.ayas[size_t(aya - 1)];
}

std::optional<Portion> loadPortion(const QString& quranRuJson, QString* error) {
    auto fail = [&](const QString& what) -> std::optional<Portion> {
        if (error)
            *error = QStringLiteral("%1: %2").arg(quranRuJson, what);
        return std::nullopt;
    };
    QFile file(quranRuJson);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("is not valid JSON (%1)").arg(parseError.errorString()));
    if (!document.isArray())
        return fail(QStringLiteral("does not hold the list of suras"));

    Portion portion;
    const QJsonArray chapters = document.array();
    for (const QJsonValue& value : chapters) {
        const QJsonObject chapter = value.toObject();
        const int number = chapter.value(QLatin1String("id")).toInt();
        if (number != 1 && (number < 78 || number > 114))
            continue;
        Sura sura;
        sura.number = number;
        sura.arabicName = chapter.value(QLatin1String("name")).toString();
        sura.transliteration = chapter.value(QLatin1String("transliteration")).toString();
        sura.russianName = chapter.value(QLatin1String("translation")).toString();
        const QString type = chapter.value(QLatin1String("type")).toString();
        if (type != QLatin1String("meccan") && type != QLatin1String("medinan"))
            return fail(QStringLiteral("sura %1 has the unknown type \"%2\"").arg(number).arg(type));
        sura.medinan = type == QLatin1String("medinan");
        const QJsonArray verses = chapter.value(QLatin1String("verses")).toArray();
        const int total = chapter.value(QLatin1String("total_verses")).toInt();
        if (total <= 0 || verses.size() != total)
            return fail(QStringLiteral("sura %1 lists %2 of its %3 ayas").arg(number).arg(verses.size()).arg(total));
        for (qsizetype i = 0; i < verses.size(); ++i) {
            const QJsonObject verse = verses.at(i).toObject();
            Aya aya;
            aya.number = verse.value(QLatin1String("id")).toInt();
            aya.arabic = verse.value(QLatin1String("text")).toString().simplified();
            aya.russian = verse.value(QLatin1String("translation")).toString().simplified();
            if (aya.number != i + 1 || aya.arabic.isEmpty() || aya.russian.isEmpty())
                return fail(QStringLiteral("sura %1, aya %2 is missing or empty").arg(number).arg(i + 1));
            sura.ayas.push_back(aya);
        }
        if (sura.arabicName.isEmpty() || sura.russianName.isEmpty())
            return fail(QStringLiteral("sura %1 has no name").arg(number));
        portion.suras.push_back(std::move(sura));
    }
    if (portion.suras.size() != 38)
        return fail(QStringLiteral("holds %1 of the 38 suras of the portion").arg(portion.suras.size()));
    std::sort(portion.suras.begin(), portion.suras.end(),
              [](const Sura& a, const Sura& b) { return a.number < b.number; });
    portion.openingArabic = portion.suras.front().ayas.front().arabic;
    portion.openingRussian = portion.suras.front().ayas.front().russian;
    return portion;
}

QStringList ayaWords(const QString& arabic) {
    return arabic.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace zelan::datagen
