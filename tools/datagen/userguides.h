#pragma once

// The two user guides that the help window shows: doc/ara/userguide.htm (Arabic, right to
// left) and doc/rus/userguide_RU.htm (Russian), UTF-8 HTML in the subset that QTextBrowser
// renders, each with the pictures of the buttons it explains under img/ beside it.

#include <QString>

namespace zelan::datagen {

// Writes both guides and their button pictures (img/b<id>.png) under `programFolder`,
// creating the folders. Returns false with `error` naming the file or folder when one cannot
// be written, or when a button picture the guide shows is missing from the button set;
// files written before the failure stay.
bool writeUserGuides(const QString& programFolder, QString* error);

} // namespace zelan::datagen
