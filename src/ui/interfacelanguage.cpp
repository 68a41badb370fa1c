#include "interfacelanguage.h"

int languageCode = zelan::ui::kArabic;
zelan::ui::PictureLibrary pictureLibrary;
