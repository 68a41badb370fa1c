// The sura index, opened from the main window.

#include "ruvo.h"

void Truvo_frm::zelanIndex_imClick() {}
