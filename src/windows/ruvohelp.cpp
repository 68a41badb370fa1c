// The user guide and the credits, opened from the main window.

#include "ruvo.h"

void Truvo_frm::help_imClick() {}

void Truvo_frm::group_bt_imClick() {}
