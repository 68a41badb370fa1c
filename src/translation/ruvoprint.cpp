// Printing the translation of a run of ayas, opened from the main window.

#include "messages.h"
#include "ruvo.h"
#include "transoptions.h"

void Truvo_frm::printTargama_imClick() {
    Ttrans_options_frm options(this);
    trans_options_frm = &options;
    // The instance is forgotten however the modal run ends.
    struct Forget {
        ~Forget() { trans_options_frm = nullptr; }
    } forget;
    zelan::ui::showModal(&options);
}
