// designgen: draws the pictures the windows hold in their own design and writes them, with a
// Qt resource file that lists them under the prefix /design, for the program's build.
//
//   designgen <picture folder> <resource file>
//
// The picture folder is emptied first, so that the resource file lists exactly the pictures of
// this run; the resource file is written last, so a failed run leaves none behind and the
// build runs the program again.

#include "designpictures.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: designgen <picture folder> <resource file>\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString resourceFile = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();

    QFile::remove(resourceFile);
    QDir(folder).removeRecursively();
    QString error;
    if (!zelan::datagen::writeDesignPictures(folder, &error)) {
        std::fprintf(stderr, "designgen: %s\n", qPrintable(error));
        return 1;
    }

    const QDir resourceDir = QFileInfo(resourceFile).absoluteDir();
    QByteArray text = "<RCC>\n  <qresource prefix=\"/design\">\n";
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString relative = resourceDir.relativeFilePath(QDir(folder).filePath(name));
        text += "    <file alias=\"" + name.toUtf8() + "\">" + relative.toUtf8() + "</file>\n";
    }
    text += "  </qresource>\n</RCC>\n";

    QSaveFile file(resourceFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        std::fprintf(stderr, "designgen: cannot write %s\n", qPrintable(resourceFile));
        return 1;
    }
    return 0;
}
