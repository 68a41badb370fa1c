#pragma once

// What a folder of recordings holds, for tests that check that a change left it as it was or
// changed it wholly.

#include "reciterslot.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>

// Every file below `folder` with its bytes, by relative path.
inline QMap<QString, QByteArray> fileTree(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files.insert(QDir(folder).relativeFilePath(path), file.readAll());
    }
    return files;
}

// The recordings a slot holds, "<sura>/<aya>" to the file's bytes.
inline QMap<QString, QByteArray> slotRecordings(const QString& program, int slot) {
    using namespace zelan::recitation;
    QMap<QString, QByteArray> files;
    for (const Recording& r : portionRecordings()) {
        QFile file(slotSuraFolder(program, slot, r.sura) + QStringLiteral("/a%1.mp3").arg(r.aya));
        if (file.open(QIODevice::ReadOnly))
            files.insert(QStringLiteral("%1/%2").arg(r.sura).arg(r.aya), file.readAll());
    }
    return files;
}
