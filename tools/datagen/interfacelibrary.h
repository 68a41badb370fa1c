#pragma once

// The two interface picture libraries, Ara2/zelan_ara.dll and rus2/zelan_rus.dll: the
// captions, headings, panels and window pictures drawn for each language, the few texts of
// the string table, and the assembly of both into resource-only DLLs.

#include "interfaceart.h"
#include "portion.h"

#include <QMap>
#include <QString>

#include <vector>

namespace zelan::datagen {

// Every picture of a library except the buttons: the start window, the headings, the main
// window's panels, the list entries, the index, print and report captions, the credits (a
// bitmap) and the error popup. Draws with the faces of loadInterfaceFonts, which must have
// succeeded. `portion` must hold all 38 suras (as loadPortion gives it).
std::vector<InterfacePicture> libraryPictures(UiLanguage language, const Portion& portion);

// The reciter list's entry for a slot holding an imported reciter: `name` drawn as the list's
// other entries are, on one line or two, 114 x 21. Needs loadInterfaceFonts() first.
QImage reciterEntryPicture(UiLanguage language, const QString& name);

// The string table: 132 font face, 133 character set (decimal), 134 size in points
// (decimal), 153 the location message, 156 its OK caption; the names of the image buttons
// and controls for screen readers: 170-195, and 600 + the sura number for each sura's name.
QMap<int, QString> libraryStrings(UiLanguage language, const Portion& portion);

// The library file of `language` below the program folder: "Ara2/zelan_ara.dll" or
// "rus2/zelan_rus.dll".
QString interfaceLibraryPath(const QString& programFolder, UiLanguage language);

// The bytes of one language's library (PE32+): the button pictures and libraryPictures
// encoded (JPEG at quality 90, bitmaps as 24-bit BMP) with libraryStrings. The same inputs
// always give the same bytes. Returns an empty array with `error` set when a picture cannot
// be encoded, two pictures share an id, or the library cannot be written.
QByteArray interfaceLibraryBytes(UiLanguage language, const Portion& portion, QString* error);

// A contact sheet of pictures: a grid of the pictures, large ones scaled down, each with its
// id under it; bitmaps shown with their key colour (bottom-left pixel) made transparent over
// a mid green, as the program shows them.
QImage interfaceContactSheet(const std::vector<InterfacePicture>& pictures, UiLanguage language);

// Loads the faces, then writes both libraries into the program folder (each through a
// temporary file renamed into place, so a library is never seen half written) and, when
// `contactSheetFolder` is not empty, contact_ara.png and contact_rus.png there. Returns false
// with `error` naming what failed (a missing font package, a sura missing from the portion,
// a file that cannot be written); a library already in place then stays as it was.
bool buildInterfaceLibraries(const Portion& portion, const QString& programFolder, const QString& contactSheetFolder,
                             QString* error);

} // namespace zelan::datagen
