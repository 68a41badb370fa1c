#include "picturelibrary.h"

#include "imagecontrol.h"
#include "messages.h"
#include "picturedecoding.h"

#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>

namespace zelan::ui {
namespace {

Q_LOGGING_CATEGORY(lcPictures, "zelan.ui.pictures", QtWarningMsg)

using Decoder = std::optional<QImage> (*)(QByteArrayView, QString*);

bool loadInto(const PictureLibrary& library, ImageControl* control, int id, Decoder decode) {
    if (!control)
        return false;
    const std::optional<QByteArray> bytes = library ? library->rcData(id) : std::nullopt;
    if (!bytes) {
        control->clearPicture();
        return false;
    }
    QString error;
    std::optional<QImage> picture = decode(*bytes, &error);
    if (!picture) {
        qCDebug(lcPictures).noquote() << "picture" << id << "of" << library->path() << "not shown:" << error;
        return false;
    }
    control->setPicture(std::move(*picture));
    return true;
}

} // namespace

QString pictureLibraryPath(int languageCode) {
    return languageCode == kRussian ? QStringLiteral("rus2/zelan_rus.dll")
                                    : QStringLiteral("Ara2/zelan_ara.dll");
}

PictureLibrary loadPictureLibrary(int languageCode) {
    const QString path = pictureLibraryPath(languageCode);
    // By the file's absolute path, so that a change of the current directory loads anew.
    static QHash<QString, PictureLibrary> loaded;
    const QString key = QFileInfo(path).absoluteFilePath();
    if (const PictureLibrary known = loaded.value(key))
        return known;
    QString error;
    PictureLibrary library = zelan::reslib::ResourceLibrary::load(path, &error);
    if (library)
        loaded.insert(key, library);
    if (!library) {
        showMessage(QStringLiteral("Unable to load the local DLL ") + path + QLatin1Char('\n') + error);
        endApplication();
    }
    return library;
}

bool loadPicture(const PictureLibrary& library, ImageControl* control, int id) {
    return loadInto(library, control, id, decodeJpeg);
}

bool loadButtonPicture(const PictureLibrary& library, ImageControl* control, int id) {
    return loadInto(library, control, id, decodeButtonBitmap);
}

void nameControl(const PictureLibrary& library, QWidget* control, int id) {
    const auto name = library ? library->string(id) : std::nullopt;
    control->setAccessibleName(name && !name->isEmpty() ? *name : control->objectName());
}

} // namespace zelan::ui
