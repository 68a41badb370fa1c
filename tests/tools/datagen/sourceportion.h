#pragma once

// The text source that the data set is built from, for the tests that typeset or draw from
// the real portion.

#include "portion.h"
#include "printedpages.h"

#include <QFileInfo>
#include <QString>
#include <QTest>

inline QString sourceFile() {
    return QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() +
           QStringLiteral("/../../../third_party/npm/node_modules/quran-json/dist/quran_ru.json");
}

inline QString pagesSourceFile() {
    return QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() +
           QStringLiteral("/../../../third_party/npm/node_modules/quran-meta/src/lists/HafsLists.ts");
}

// Loads the printed pages' first ayas into `starts` (a std::optional<std::vector<PageStart>>),
// skipping or failing as ZELAN_LOAD_SOURCE_PORTION does.
#define ZELAN_LOAD_PAGE_STARTS(starts)                                                                       \
    do {                                                                                                     \
        if (!QFileInfo::exists(pagesSourceFile())) {                                                         \
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_PROGRAM"))                                          \
                QFAIL(qPrintable(QStringLiteral("no page list at %1").arg(pagesSourceFile())));              \
            QSKIP("the npm package quran-meta is not installed (scripts/install installs it)");              \
        }                                                                                                    \
        QString loadError;                                                                                   \
        starts = zelan::datagen::loadPageStarts(pagesSourceFile(), &loadError);                              \
        QVERIFY2(starts, qPrintable(loadError));                                                             \
    } while (false)

// Loads the source into `portion` (a std::optional<Portion>) in a test's initTestCase: skips
// the test when the npm package is not installed, or fails when ZELAN_REQUIRE_PROGRAM is set.
#define ZELAN_LOAD_SOURCE_PORTION(portion)                                                                   \
    do {                                                                                                     \
        if (!QFileInfo::exists(sourceFile())) {                                                              \
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_PROGRAM"))                                          \
                QFAIL(qPrintable(QStringLiteral("no text source at %1").arg(sourceFile())));                 \
            QSKIP("the npm package quran-json is not installed (scripts/install installs it)");              \
        }                                                                                                    \
        QString loadError;                                                                                   \
        portion = zelan::datagen::loadPortion(sourceFile(), &loadError);                                     \
        QVERIFY2(portion, qPrintable(loadError));                                                            \
    } while (false)
