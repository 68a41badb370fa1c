// Printing the translation of a run of ayas, opened from the main window.

#include "ruvo.h"

void Truvo_frm::printTargama_imClick() {}
