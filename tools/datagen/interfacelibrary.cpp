#include "interfacelibrary.h"

#include "jpegwriter.h"
#include "resourcelibrary.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>

namespace zelan::datagen {

namespace {

// LANGIDs of the resources: Arabic (Saudi Arabia) and Russian.
constexpr quint16 kArabicLangId = 0x0401;
constexpr quint16 kRussianLangId = 0x0419;

const char* languageName(UiLanguage language) { return language == UiLanguage::Arabic ? "Arabic" : "Russian"; }

std::vector<InterfacePicture> allPictures(UiLanguage language, const Portion& portion) {
    std::vector<InterfacePicture> pictures = buttonPictures(language);
    std::vector<InterfacePicture> others = libraryPictures(language, portion);
    pictures.insert(pictures.end(), std::make_move_iterator(others.begin()), std::make_move_iterator(others.end()));
    std::stable_sort(pictures.begin(), pictures.end(),
                     [](const InterfacePicture& a, const InterfacePicture& b) { return a.id < b.id; });
    return pictures;
}

// The portion's suras are read by number while drawing; a portion without one of them is
// refused here rather than failing halfway through the pictures.
bool portionComplete(const Portion& portion, QString* error) {
    for (int sura = 1; sura <= 114; sura = sura == 1 ? 78 : sura + 1) {
        const bool present = std::any_of(portion.suras.begin(), portion.suras.end(),
                                         [sura](const Sura& s) { return s.number == sura; });
        if (!present) {
            *error = QStringLiteral("the text source lacks sura %1, whose name the interface pictures show").arg(sura);
            return false;
        }
    }
    return true;
}

QByteArray libraryBytes(UiLanguage language, const Portion& portion, const std::vector<InterfacePicture>& pictures,
                        QString* error) {
    reslib::ResourceLibraryContent content;
    content.language = language == UiLanguage::Arabic ? kArabicLangId : kRussianLangId;
    content.strings = libraryStrings(language, portion);
    for (const InterfacePicture& picture : pictures) {
        if (content.rcData.contains(picture.id)) {
            *error = QStringLiteral("the %1 interface library has two pictures with id %2")
                         .arg(QLatin1String(languageName(language)))
                         .arg(picture.id);
            return {};
        }
        const QByteArray bytes = picture.bitmap ? encodeBmp24(picture.image) : encodeJpeg(picture.image, 90);
        if (bytes.isEmpty()) {
            *error = QStringLiteral("picture %1 of the %2 interface library could not be encoded (an empty picture?)")
                         .arg(picture.id)
                         .arg(QLatin1String(languageName(language)));
            return {};
        }
        content.rcData.insert(picture.id, bytes);
    }
    QByteArray library = reslib::writeResourceLibrary(content, true);
    if (library.isEmpty())
        *error = QStringLiteral("the %1 interface library could not be assembled").arg(QLatin1String(languageName(language)));
    return library;
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* error) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("cannot create the folder of %1").arg(path);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

QString interfaceLibraryPath(const QString& programFolder, UiLanguage language) {
    return programFolder + (language == UiLanguage::Arabic ? QStringLiteral("/Ara2/zelan_ara.dll")
                                                            : QStringLiteral("/rus2/zelan_rus.dll"));
}

QByteArray interfaceLibraryBytes(UiLanguage language, const Portion& portion, QString* error) {
    if (!portionComplete(portion, error))
        return {};
    return libraryBytes(language, portion, allPictures(language, portion), error);
}

QImage interfaceContactSheet(const std::vector<InterfacePicture>& pictures, UiLanguage language) {
    constexpr int kCellWidth = 250, kPictureHeight = 210, kLabelHeight = 20, kColumns = 8, kGap = 10;
    const int rows = int((pictures.size() + kColumns - 1) / kColumns);
    QImage sheet(kColumns * (kCellWidth + kGap) + kGap, rows * (kPictureHeight + kLabelHeight + kGap) + kGap,
                 QImage::Format_RGB32);
    sheet.fill(QColor(200, 200, 200));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font(captionFamily(language));
    font.setPixelSize(13);
    p.setFont(font);
    const QColor keyGround(128, 160, 128);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const InterfacePicture& picture = pictures[i];
        const int x = kGap + int(i % kColumns) * (kCellWidth + kGap);
        const int y = kGap + int(i / kColumns) * (kPictureHeight + kLabelHeight + kGap);
        QImage image = picture.image.convertToFormat(QImage::Format_ARGB32);
        if (picture.bitmap && !image.isNull()) {
            // As the program shows a bitmap: its bottom-left colour becomes transparent.
            const QRgb key = image.pixel(0, image.height() - 1) | 0xff000000u;
            for (int row = 0; row < image.height(); ++row) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
                for (int column = 0; column < image.width(); ++column)
                    if ((line[column] | 0xff000000u) == key)
                        line[column] = 0;
            }
        }
        if (image.width() > kCellWidth || image.height() > kPictureHeight)
            image = image.scaled(kCellWidth, kPictureHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QRect place(x + (kCellWidth - image.width()) / 2, y + (kPictureHeight - image.height()) / 2,
                          image.width(), image.height());
        if (picture.bitmap)
            p.fillRect(place.adjusted(-3, -3, 3, 3), keyGround);
        p.drawImage(place.topLeft(), image);
        p.setPen(Qt::black);
        p.drawText(QRect(x, y + kPictureHeight, kCellWidth, kLabelHeight), Qt::AlignCenter,
                   QStringLiteral("%1  (%2 × %3)%4")
                       .arg(picture.id)
                       .arg(picture.image.width())
                       .arg(picture.image.height())
                       .arg(picture.bitmap ? QStringLiteral(" BMP") : QString()));
    }
    return sheet;
}

bool buildInterfaceLibraries(const Portion& portion, const QString& programFolder, const QString& contactSheetFolder,
                             QString* error) {
    if (!loadInterfaceFonts(error) || !portionComplete(portion, error))
        return false;
    for (const UiLanguage language : {UiLanguage::Arabic, UiLanguage::Russian}) {
        const std::vector<InterfacePicture> pictures = allPictures(language, portion);
        const QByteArray library = libraryBytes(language, portion, pictures, error);
        if (library.isEmpty() || !writeFile(interfaceLibraryPath(programFolder, language), library, error))
            return false;
        if (contactSheetFolder.isEmpty())
            continue;
        const QString sheetPath = contactSheetFolder + (language == UiLanguage::Arabic
                                                            ? QStringLiteral("/contact_ara.png")
                                                            : QStringLiteral("/contact_rus.png"));
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            if (!interfaceContactSheet(pictures, language).save(&buffer, "PNG")) {
                *error = QStringLiteral("cannot encode the contact sheet %1").arg(sheetPath);
                return false;
            }
        }
        if (!writeFile(sheetPath, png, error))
            return false;
    }
    return true;
}

} // namespace zelan::datagen
