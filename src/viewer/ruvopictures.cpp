// The main window's image buttons and pictures: the buttons with their normal, hover and
// pressed pictures, the hover captions, the pictures loaded when the window is created and
// the picture sets of the four player buttons.

#include "ruvo.h"

#include "imagebutton.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"

#include <QCheckBox>
#include <QRadioButton>

#include <algorithm>

namespace {

using zelan::ui::ImageButton;
using zelan::ui::ImageControl;

// Play modes of the audio player that the active pictures look at.
constexpr int kModePaused = 1;
constexpr int kModePlaying = 2;

// Where a caption stands beside its button.
enum class Beside { Below, Left, Right };

} // namespace

void Truvo_frm::createButtons() {
    struct Design {
        ImageControl** control;
        const char* name;
        QPoint at;
        ImageButton::Pictures pictures;
    };
    // Player strip under the page box, the page-number place with the half buttons, the
    // tools along the top, the colour button and the range start.
    const Design design[] = {
        {&lastSora_bt_im, "lastSora_bt_im", {244, 497}, {499, 500, 501}},
        {&nextSora_bt_im, "nextSora_bt_im", {295, 497}, {496, 497, 498}},
        {&stop_bt_im, "stop_bt_im", {346, 497}, {487, 488, 489}},
        {&pause_bt_im, "pause_bt_im", {397, 497}, {493, 494, 509}},
        {&playAya_bt_im, "playAya_bt_im", {448, 497}, {490, 491, 508}},
        {&playTargamaSoun_bt, "playTargamaSoun_bt", {499, 497}, {530, 531, 533}},
        {&prevSora_bt_im, "prevSora_bt_im", {550, 497}, {483, 485, 486}},
        {&firstSora_bt_im, "firstSora_bt_im", {601, 497}, {480, 481, 482}},
        {&prevHalf_im, "prevHalf_im", {341, 447}, {520, 521, 522}},
        {&nextHalf_im, "nextHalf_im", {517, 447}, {517, 518, 519}},
        {&currentPage_bt_im, "currentPage_bt_im", {393, 452}, {0, 0, 0}},
        {&zelanIndex_im, "zelanIndex_im", {667, 14}, {502, 503, 504}},
        {&printTargama_im, "printTargama_im", {746, 14}, {505, 506, 507}},
        {&help_im, "help_im", {788, 14}, {511, 512, 513}},
        {&close_bt, "close_bt", {830, 14}, {523, 524, 525}},
        {&group_bt_im, "group_bt_im", {125, 14}, {534, 535, 536}},
        {&color_bt_im, "color_bt_im", {115, 172}, {514, 515, 516}},
        {&repeatAya_bt_im, "repeatAya_bt_im", {833, 339}, {526, 527, 529}},
    };
    for (const Design& d : design) {
        auto* control = new ImageControl(this);
        control->setObjectName(QString::fromLatin1(d.name));
        control->move(d.at);
        *d.control = control;
        m_buttons.push_back(new ImageButton(control, &pictureLibrary, d.pictures));
    }
    currentPage_bt_im->setPicture(QImage(QStringLiteral(":/design/currentPage_bt.png")));
    repeatAya_bt_im->setEnabled(false);

    // Hover captions: one Arabic and one Russian caption per captioned button, each beside
    // the button that shows it. The half buttons show the caption named after the other one.
    struct Caption {
        ImageControl* button;
        ImageControl** arabic;
        const char* arabicName;
        ImageControl** russian;
        const char* russianName;
        const char* file;
        Beside beside;
    };
    const Caption captions[] = {
        {firstSora_bt_im, &firstSora_im, "firstSora_im", &firstSora_rus_im, "firstSora_rus_im", "firstSora",
         Beside::Below},
        {prevSora_bt_im, &prevSora_im, "prevSora_im", &prevSora_rus_im, "prevSora_rus_im", "prevSora", Beside::Below},
        {stop_bt_im, &stop_im, "stop_im", &stop_rus_im, "stop_rus_im", "stop", Beside::Below},
        {playAya_bt_im, &playAya_im, "playAya_im", &playAya_rus_im, "playAya_rus_im", "playAya", Beside::Below},
        {pause_bt_im, &pause_im, "pause_im", &pause_rus_im, "pause_rus_im", "pause", Beside::Below},
        {nextSora_bt_im, &nextSora_im, "nextSora_im", &nextSora_rus_im, "nextSora_rus_im", "nextSora", Beside::Below},
        {lastSora_bt_im, &lastSora_im, "lastSora_im", &lastSora_rus_im, "lastSora_rus_im", "lastSora", Beside::Below},
        {nextHalf_im, &prevHalf_ara_im, "prevHalf_ara_im", &prevHalf_rus_im, "prevHalf_rus_im", "prevHalf",
         Beside::Right},
        {prevHalf_im, &nextHalf_ara_im, "nextHalf_ara_im", &nextHalf_rus_im, "nextHalf_rus_im", "nextHalf",
         Beside::Left},
        {repeatAya_bt_im, &repeatAya_ara_im, "repeatAya_ara_im", &repeatAya_rus_im, "repeatAya_rus_im", "repeatAya",
         Beside::Left},
        {playTargamaSoun_bt, &playTargama_ara_im, "playTargama_ara_im", &playTargama_rus_im, "playTargama_rus_im",
         "playTargama", Beside::Below},
        {currentPage_bt_im, &currentPage_ara_im, "currentPage_ara_im", &currentPage_rus_im, "currentPage_rus_im",
         "currentPage", Beside::Below},
    };
    for (const Caption& c : captions) {
        ImageButton* button = buttonOf(c.button);
        ImageControl* pair[2] = {};
        for (int k = 0; k < 2; ++k) {
            auto* caption = new ImageControl(this);
            caption->setObjectName(QString::fromLatin1(k == 0 ? c.arabicName : c.russianName));
            caption->setPicture(QImage(
                QStringLiteral(":/design/caption_%1_%2.png").arg(QString::fromLatin1(c.file), k == 0 ? "ara" : "rus")));
            caption->setAttribute(Qt::WA_TransparentForMouseEvents);
            caption->hide();
            *(k == 0 ? c.arabic : c.russian) = caption;
            m_captions.push_back(caption);
            pair[k] = caption;
        }
        button->setCaption(
            [this, pair, control = c.button, beside = c.beside] {
                ImageControl* shown = languageCode == zelan::ui::kRussian ? pair[1] : pair[0];
                // Placed when shown, beside the button as it stands now: its picture gives it
                // its size only once loaded, and the Arabic layout moves some buttons.
                const QRect b = control->geometry();
                const QSize size = shown->size();
                QPoint at;
                switch (beside) {
                case Beside::Below:
                    at = {b.center().x() - size.width() / 2, b.bottom() + 1};
                    break;
                case Beside::Left:
                    at = {b.left() - 4 - size.width(), b.center().y() - size.height() / 2};
                    break;
                case Beside::Right:
                    at = {b.right() + 5, b.center().y() - size.height() / 2};
                    break;
                }
                at.setX(std::clamp(at.x(), 14, std::max(14, width() - 14 - size.width())));
                shown->move(at);
                shown->raise();
                shown->show();
            },
            [this] { hideHoverCaptions(); });
    }

    // Active pictures of the player buttons, from the play mode of the audio player.
    buttonOf(playAya_bt_im)->setActive(
        508, [this] { return playerMode() == kModePlaying; }, [this] { return playerMode() == kModePlaying; });
    buttonOf(pause_bt_im)->setActive(
        509, [this] { return playerMode() == kModePaused; }, [this] { return playerMode() == kModePaused; });
    buttonOf(repeatAya_bt_im)->setActive(
        529, [this] { return playerMode() == kModePlaying && continueAya_rb->isChecked(); },
        [this] { return playerMode() == kModePlaying; });
    buttonOf(playTargamaSoun_bt)->setActive(
        533, [this] { return playerMode() == kModePlaying && ayaAndTargamaSound_rb->isChecked(); },
        [this] { return playerMode() == kModePlaying; });
}

zelan::ui::ImageButton* Truvo_frm::buttonOf(const ImageControl* control) const {
    for (ImageButton* button : m_buttons) {
        if (button->control() == control)
            return button;
    }
    return nullptr;
}

int Truvo_frm::playerMode() const {
    return audioPlayer ? audioPlayer->getMode() : 0;
}

void Truvo_frm::hideHoverCaptions() {
    for (ImageControl* caption : m_captions)
        caption->hide();
}

void Truvo_frm::nameButtons() {
    // Each button's name for screen readers, in the interface language: the words of its
    // caption, from the picture library's strings 170-187. A library without them leaves
    // the control's own name.
    const std::pair<ImageControl*, int> names[] = {
        {firstSora_bt_im, 170}, {prevSora_bt_im, 171},   {stop_bt_im, 172},         {playAya_bt_im, 173},
        {pause_bt_im, 174},     {nextSora_bt_im, 175},   {lastSora_bt_im, 176},     {prevHalf_im, 177},
        {nextHalf_im, 178},     {currentPage_bt_im, 179}, {repeatAya_bt_im, 180},   {playTargamaSoun_bt, 181},
        {zelanIndex_im, 182},   {printTargama_im, 183},  {help_im, 184},            {close_bt, 185},
        {group_bt_im, 186},     {color_bt_im, 187},
    };
    for (const auto& [control, id] : names)
        zelan::ui::nameControl(pictureLibrary, control, id);
}

void Truvo_frm::loadMainPictures() {
    nameButtons();
    using zelan::ui::loadPicture;
    loadPicture(pictureLibrary, partPich_im, 207);
    loadPicture(pictureLibrary, soraPich_im, 207);
    loadPicture(pictureLibrary, color_control_im, 323);
    loadPicture(pictureLibrary, dumy_im, 324);
    loadPicture(pictureLibrary, telawa_control_im, 325);
    loadPicture(pictureLibrary, targama_control_im, 326);
    for (ImageButton* button : m_buttons)
        button->show(button->pictures().normal);
}

void Truvo_frm::showPlayerPictures(int pause, int play, int translation, int repeat) {
    buttonOf(pause_bt_im)->show(pause);
    buttonOf(playAya_bt_im)->show(play);
    buttonOf(playTargamaSoun_bt)->show(translation);
    buttonOf(repeatAya_bt_im)->show(repeat);
}

void Truvo_frm::showIdlePictures() { showPlayerPictures(493, 490, 530, 526); }

void Truvo_frm::showPausedPictures() { showPlayerPictures(509, 490, 530, 526); }

void Truvo_frm::showRecitingPictures() { showPlayerPictures(493, 508, 530, continueAya_rb->isChecked() ? 529 : 526); }

void Truvo_frm::showTranslationPictures() { showPlayerPictures(493, 490, 533, 526); }
