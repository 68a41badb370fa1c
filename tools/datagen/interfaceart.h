#pragma once

// Shared ground of the interface pictures: the palette, the faces and the ids of the two
// picture libraries (Ara2/zelan_ara.dll and rus2/zelan_rus.dll), which hold the same ids
// with the same meaning, each in its own language.

#include <QColor>
#include <QImage>
#include <QMap>
#include <QString>

#include <vector>

namespace zelan::datagen {

enum class UiLanguage { Arabic, Russian };

namespace palette {
// The greens of the window design: panels, lists and the print options window.
inline const QColor kGreen(110, 175, 115);      // slider background, main accent
inline const QColor kListGreen(110, 175, 109);  // sura and reciter lists
inline const QColor kOptionsGreen(112, 171, 115);
inline const QColor kDeepGreen(96, 123, 52);    // sunken number panels
inline const QColor kForest(38, 84, 52);        // dark green for frames, glyphs and text on light ground
inline const QColor kPage(254, 255, 241);       // the page box's paper
inline const QColor kTranslationBox(255, 255, 237);
inline const QColor kGold(214, 178, 96);        // ornaments (never darker than the page ink)
inline const QColor kPaleGold(236, 214, 160);
inline const QColor kText(32, 40, 36);          // dark text on light ground
inline const QColor kLightText(250, 250, 236);  // light text on green ground
inline const QColor kActive(200, 60, 40);       // the "on" state of player buttons
// The colour around a button's shape in its BMP file: the bottom-left pixel, which the
// loader makes transparent. Never used inside a glyph.
inline const QColor kButtonKey(255, 0, 255);
} // namespace palette

// Registers the faces (Amiri, Amiri Quran, DejaVu Sans) from their Debian packages; false with
// `error` naming the package to install. The family names to use afterwards:
bool loadInterfaceFonts(QString* error);
QString headingFamily(UiLanguage language); // Amiri (Arabic) / DejaVu Sans (Russian)
QString captionFamily(UiLanguage language); // DejaVu Sans (it has Arabic letters too)

struct InterfacePicture {
    int id = 0;
    QImage image;
    bool bitmap = false; // true: stored as a 24-bit BMP (buttons, credits); false: JPEG
};

// The button pictures: 327, 328, 466-478, 480-536 without 479, 484, 492, 495, 510, 528, 532.
std::vector<InterfacePicture> buttonPictures(UiLanguage language);
// A 24-bit bottom-up BMP file of `image` (alpha dropped).
QByteArray encodeBmp24(const QImage& image);

} // namespace zelan::datagen
