#pragma once

#include "platform/reslib/resourcelibrary.h"

#include <QString>
#include <QWidget>
#include <memory>

namespace zelan::ui {

class ImageControl;

// A language's picture library: a resource-only DLL whose RCDATA resources are the pictures
// of the captions and buttons, taken by integer id. Shared and immutable once loaded; it stays
// loaded for as long as someone holds it (the windows hold it until the program ends).
using PictureLibrary = std::shared_ptr<const zelan::reslib::ResourceLibrary>;

// Language codes of the interface.
inline constexpr int kArabic = 1101;
inline constexpr int kRussian = 1102;

// The library file of a language, relative to the current directory: "rus2/zelan_rus.dll" for
// Russian, "Ara2/zelan_ara.dll" for any other code.
QString pictureLibraryPath(int languageCode);

// Loads the picture library of a language. Each file is read once per run: a later load of
// the same file hands out the same library, so switching the language back and forth does not
// grow memory (libraries stay loaded until the program ends). When it cannot be loaded, shows
// "Unable to load the local DLL <path>" with the reason on a second line, asks the
// application to end (endApplication()) and returns null.
PictureLibrary loadPictureLibrary(int languageCode);

// Shows JPEG picture `id` of `library` on `control`, which takes the picture's size. Returns
// false without reporting anything when the picture cannot be shown: a missing id or a null
// library empties the control (0 x 0); bytes that do not decode leave the control as it was.
bool loadPicture(const PictureLibrary& library, ImageControl* control, int id);

// The same for a button bitmap: a BMP picture whose bottom-left colour is transparent.
bool loadButtonPicture(const PictureLibrary& library, ImageControl* control, int id);

// Names `control` for screen readers with string `id` of `library`, the words its picture
// shows; a library without that string leaves the control's object name as its name.
void nameControl(const PictureLibrary& library, QWidget* control, int id);

} // namespace zelan::ui
