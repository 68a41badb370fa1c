#include "reciters.h"

#include <QDir>
#include <QFileInfo>

namespace zelan::recitation {

QString reciterFolder(int reciterNumber) {
    static const char* const folders[] = {"Zorvik", "Pellune", "Sarnex", "Wendak"};
    return reciterNumber >= 1 && reciterNumber <= 4 ? QString::fromLatin1(folders[reciterNumber - 1]) : QString();
}

QImage importedReciterEntry(int reciterNumber, bool russian) {
    const QString folder = reciterFolder(reciterNumber);
    if (folder.isEmpty())
        return {};
    const QString work = QDir::currentPath() + QStringLiteral("/Translations/Sound_aya/.import/") + folder;
    // A slot whose synthetic voice was put back keeps no picture that counts.
    if (!QFileInfo(work + QStringLiteral("/synthetic")).isDir())
        return {};
    const QString path = work + (russian ? QStringLiteral("/list_rus.png") : QStringLiteral("/list_ara.png"));
    if (QFileInfo(path).size() > 1024 * 1024) // an entry is a small picture; a larger file is not one
        return {};
    QImage picture(path);
    // The entry stands in the list's field: a picture of another size is not one of ours.
    if (picture.isNull() || picture.width() > 140 || picture.height() > 26)
        return {};
    return picture;
}

} // namespace zelan::recitation
