#pragma once

#include "picturelibrary.h"

// The interface language of the program: kArabic (1101) or kRussian (1102). The start window
// sets it; every window that lays itself out or chooses pictures by language reads it.
extern int languageCode;

// The picture library of the interface language, loaded by the main window when it is created;
// the main window and every window opened from it take their pictures from it.
extern zelan::ui::PictureLibrary pictureLibrary;
