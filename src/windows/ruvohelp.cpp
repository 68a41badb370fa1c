// The user guide and the credits, opened from the main window.

#include "ruvo.h"

#include "interfacelanguage.h"
#include "nobza.h"
#include "workgroup.h"

void Truvo_frm::help_imClick() { showHelpWindow(this, languageCode); }

void Truvo_frm::group_bt_imClick() { showCreditsWindow(this, PaintBox1, pictureLibrary); }
