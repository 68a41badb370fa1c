#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTest>

// The built program folder that window tests run in (ZELAN_PROGRAM_DIR, set by CMake), since
// the program finds every file relative to the current directory.
inline bool programFolderBuilt(const QString& folder) {
    return !folder.isEmpty() && QFileInfo::exists(folder + QStringLiteral("/Ara2/zelan_ara.dll"));
}

// In a test's initTestCase: makes the program folder the current directory, remembering the
// one before in `previous` (a QString) and the folder in `folder`. Skips the test class when
// the folder has not been built, or fails when ZELAN_REQUIRE_PROGRAM is set.
#define ZELAN_ENTER_PROGRAM_FOLDER(folder, previous)                                                         \
    do {                                                                                                     \
        folder = qEnvironmentVariable("ZELAN_PROGRAM_DIR");                                                  \
        if (!programFolderBuilt(folder)) {                                                                   \
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_PROGRAM"))                                          \
                QFAIL(qPrintable(QStringLiteral("no program folder at '%1'").arg(folder)));                  \
            QSKIP("the program folder has not been built (scripts/build-data)");                             \
        }                                                                                                    \
        previous = QDir::currentPath();                                                                      \
        QVERIFY(QDir::setCurrent(folder));                                                                   \
    } while (false)
