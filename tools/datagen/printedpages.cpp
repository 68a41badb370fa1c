#include "printedpages.h"

#include <QFile>
#include <QRegularExpression>

namespace zelan::datagen {

namespace {

// The text of the array literal that follows "export const <name>" up to its closing
// bracket, without the outer brackets; empty when the name or the brackets are not there.
QString arrayLiteral(const QString& source, const QString& name) {
    const qsizetype at = source.indexOf(QStringLiteral("export const ") + name);
    if (at < 0)
        return {};
    const qsizetype open = source.indexOf(QLatin1Char('='), at);
    const qsizetype bracket = open < 0 ? -1 : source.indexOf(QLatin1Char('['), open);
    if (bracket < 0)
        return {};
    int depth = 0;
    for (qsizetype i = bracket; i < source.size(); ++i) {
        const QChar c = source.at(i);
        if (c == QLatin1Char('"')) { // a string holds no bracket that counts
            i = source.indexOf(QLatin1Char('"'), i + 1);
            if (i < 0)
                return {};
        } else if (c == QLatin1Char('[')) {
            ++depth;
        } else if (c == QLatin1Char(']') && --depth == 0) {
            return source.mid(bracket + 1, i - bracket - 1);
        }
    }
    return {};
}

// Line comments out, so that a number in a comment is no entry.
QString withoutComments(QString text) {
    static const QRegularExpression comment(QStringLiteral("//[^\n]*"));
    return text.remove(comment);
}

} // namespace

std::optional<std::vector<PageStart>> loadPageStarts(const QString& hafsListsTs, QString* error) {
    const auto fail = [&](const QString& what) {
        *error = QStringLiteral("the page list %1 %2").arg(hafsListsTs, what);
        return std::nullopt;
    };
    QFile file(hafsListsTs);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read (%1): install the npm package quran-meta (scripts/install does)")
                        .arg(file.errorString()));
    const QString source = QString::fromUtf8(file.read(4 << 20));

    // PageList: entry p is the first aya of page p; entry 0 is a placeholder and the last one
    // the end of the Quran.
    const QString pageText = withoutComments(arrayLiteral(source, QStringLiteral("PageList")));
    if (pageText.isEmpty())
        return fail(QStringLiteral("holds no PageList array"));
    std::vector<int> pages;
    for (const QString& item : pageText.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = item.trimmed().toInt(&ok);
        if (!ok)
            return fail(QStringLiteral("has \"%1\" in its PageList, which is no aya number").arg(item.trimmed()));
        pages.push_back(value);
    }
    if (pages.size() != 606)
        return fail(QStringLiteral("lists %1 page starts, not the 604 pages of the Hafs copy").arg(pages.size() - 2));

    // SurahList: [first aya number, aya count, ...] per sura, entry 0 a placeholder.
    const QString suraText = withoutComments(arrayLiteral(source, QStringLiteral("SurahList")));
    static const QRegularExpression row(QStringLiteral("\\[\\s*(-?\\d+)\\s*,\\s*(\\d+)\\s*,"));
    std::vector<std::pair<int, int>> suras;
    for (auto match = row.globalMatch(suraText); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        suras.emplace_back(m.captured(1).toInt(), m.captured(2).toInt());
    }
    if (suras.size() != 116) // the placeholder, 114 suras and the end
        return fail(QStringLiteral("lists %1 suras in its SurahList, not 114").arg(qMax<qsizetype>(0, qsizetype(suras.size()) - 2)));

    std::vector<PageStart> starts;
    for (int page = kFirstPrintedPage; page <= kLastPrintedPage; ++page) {
        const int id = pages[size_t(page)];
        PageStart start;
        for (int sura = 78; sura <= 114; ++sura) {
            const auto [first, count] = suras[size_t(sura)];
            if (id >= first && id < first + count)
                start = {sura, id - first + 1};
        }
        if (start.sura == 0)
            return fail(QStringLiteral("begins page %1 with aya number %2, which is not in suras 78 to 114").arg(page).arg(id));
        if (!starts.empty() && (start.sura < starts.back().sura ||
                                (start.sura == starts.back().sura && start.aya <= starts.back().aya)))
            return fail(QStringLiteral("begins page %1 before page %2").arg(page).arg(page - 1));
        starts.push_back(start);
    }
    return starts;
}

} // namespace zelan::datagen
