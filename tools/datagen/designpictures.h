#pragma once

// The pictures that the windows hold in their own design rather than take from a picture
// library: the main window's background, the start window's close picture, the 24 hover
// captions of the main window, the page-number button, the location message's OK glyph,
// the credits window's background and close glyph, and the report's logo. They are drawn
// from the same palette as the library pictures so that the program looks like one product.

#include <QImage>
#include <QString>

#include <utility>
#include <vector>

namespace zelan::datagen {

// The design pictures as (file name, picture), every name ending in ".png". Loads the
// interface faces itself; when they are missing the captions fall back to Qt's default face
// (writeDesignPictures refuses that case instead).
std::vector<std::pair<QString, QImage>> designPictures();

// Saves every design picture as a PNG file into `folder` (created when missing). Returns
// false with `error` naming the face or the file when the faces cannot be loaded, the folder
// cannot be made or a file cannot be written; files written before the failure stay.
bool writeDesignPictures(const QString& folder, QString* error);

} // namespace zelan::datagen
