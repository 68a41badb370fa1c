// The main window's keys: each stands for an image button and acts through that button's
// click, so a key does exactly what a click does (and nothing while the button is disabled).
// Keys typed into a number box stay the box's: the box takes the keys it edits with (space,
// the arrows, Home and End) before any of these.

#include "ruvo.h"

#include "ayaplayer.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"

#include <QShortcut>

void Truvo_frm::createKeys() {
    using zelan::ui::ImageControl;
    const auto press = [](ImageControl* button) {
        if (button->isEnabled() && button->isVisible())
            button->click();
    };
    const auto key = [this](QKeySequence sequence, std::function<void()> action) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this, std::move(action));
    };
    // Space plays, or pauses what plays.
    key(Qt::Key_Space, [this, press] { press(playerMode() == AyaPlayer::kPlaying ? pause_bt_im : playAya_bt_im); });
    key(Qt::Key_Escape, [this, press] { press(stop_bt_im); });
    // The half buttons of the design: the one on the left (prevHalf_im) steps forward, the
    // one on the right (nextHalf_im) back, as an Arabic book turns.
    ImageControl* const forward = prevHalf_im;
    ImageControl* const back = nextHalf_im;
    key(Qt::Key_PageDown, [press, forward] { press(forward); });
    key(Qt::Key_PageUp, [press, back] { press(back); });
    // The arrows step the way the interface reads: forward is to the left in the Arabic one,
    // to the right in the Russian one.
    key(Qt::Key_Left, [press, forward, back] { press(languageCode == zelan::ui::kArabic ? forward : back); });
    key(Qt::Key_Right, [press, forward, back] { press(languageCode == zelan::ui::kArabic ? back : forward); });
    key(Qt::Key_Home, [this, press] { press(firstSora_bt_im); });
    key(Qt::Key_End, [this, press] { press(lastSora_bt_im); });
}
