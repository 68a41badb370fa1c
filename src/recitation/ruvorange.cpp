// The range repetition's five settings on the main window (first and last aya, plays of each
// aya, passes, pause), the checks run while the user types them, the mode radio buttons that
// open and close them, and reading them when a range starts.

#include "ruvo.h"

#include "audioplayer.h"
#include "ayacount.h"
#include "errormsg.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "updown.h"

#include <QFrame>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

// The value of a box that holds an integer (its change handler has checked it).
int valueOf(const QLineEdit* box) { return box->text().toInt(nullptr, 10); }

void writeNumber(QLineEdit* box, int value) { box->setText(QString::number(value)); }

} // namespace

// ---- Modes -------------------------------------------------------------------------------

void Truvo_frm::continueAya_rbClick() {
    // Choosing range mode anew ends a range pause under way, as any new start does.
    cancelRangePause();
    if (TaudioPlayer* player = recitationPlayer(); player && player->getMode() == AyaPlayer::kPlaying)
        player->close();
    repeatAya_bt_im->setEnabled(true);
    unlockRangeSettings();
    // Every setting starts at 1; the first aya's box is written without moving the reading
    // position, the others run their checks, which accept it.
    {
        const QSignalBlocker quiet(fromAya_ed);
        fromAya_ed->setText(QStringLiteral("1"));
    }
    for (QLineEdit* box : {toAya_ed, times_ed, delay_ed, NoOfAyaRepeat_ed})
        box->setText(QStringLiteral("1"));
    fromAya_ud->setPosition(valueOf(fromAya_ed));
    toAya_ud->setPosition(valueOf(toAya_ed));
    NoOfAyaRepeat_ud->setPosition(valueOf(NoOfAyaRepeat_ed));
    times_ud->setPosition(valueOf(times_ed));
    delay_ud->setPosition(valueOf(delay_ed));
}

void Truvo_frm::continuePlay_rbClick() {
    // The panels and values stay, and a sound that plays goes on.
    repeatAya_bt_im->setEnabled(false);
    for (QLineEdit* box : {fromAya_ed, toAya_ed, NoOfAyaRepeat_ed, times_ed, delay_ed})
        box->setReadOnly(true);
    for (zelan::ui::UpDown* spinner : {fromAya_ud, toAya_ud, NoOfAyaRepeat_ud, times_ud, delay_ud})
        spinner->setEnabled(false);
}

void Truvo_frm::lockRangeSettings() {
    for (QWidget* panel : {fromAya_pn, toAya_pn, NoOfAyaRepeat_pn, times_pn, delay_pn})
        panel->setEnabled(false);
    for (QLineEdit* box : {fromAya_ed, toAya_ed, NoOfAyaRepeat_ed, times_ed, delay_ed})
        box->setReadOnly(true);
    for (zelan::ui::UpDown* spinner : {fromAya_ud, toAya_ud, NoOfAyaRepeat_ud, times_ud, delay_ud})
        spinner->setEnabled(false);
}

void Truvo_frm::unlockRangeSettings() {
    for (QWidget* panel : {fromAya_pn, toAya_pn, NoOfAyaRepeat_pn, times_pn, delay_pn})
        panel->setEnabled(true);
    for (QLineEdit* box : {fromAya_ed, toAya_ed, NoOfAyaRepeat_ed, times_ed, delay_ed})
        box->setReadOnly(false);
    for (zelan::ui::UpDown* spinner : {fromAya_ud, toAya_ud, NoOfAyaRepeat_ud, times_ud, delay_ud})
        spinner->setEnabled(true);
}

// ---- Typing ------------------------------------------------------------------------------

void Truvo_frm::fromAya_edChange() {
    if (!isValidInteger(fromAya_ed->text()))
        return;
    int value = valueOf(fromAya_ed);
    const int count = zelan::data::ayaCount(currentSora);
    if (value > count) {
        const QSignalBlocker quiet(fromAya_ed);
        writeNumber(fromAya_ed, count);
        value = count;
    }
    fromAya_ud->setPosition(value);
    // The reading position and the page follow the range's first aya.
    setAya(fromAya_ud->position());
    showAyaPage();
}

void Truvo_frm::toAya_edChange() {
    if (!isValidInteger(toAya_ed->text()))
        return;
    const int value = valueOf(toAya_ed);
    const int count = zelan::data::ayaCount(currentSora);
    // Each correction writes the box, which checks it again.
    if (value == 0)
        toAya_ed->setText(QStringLiteral("1"));
    if (value > count)
        writeNumber(toAya_ed, count);
    toAya_ud->setPosition(value);
}

void Truvo_frm::NoOfAyaRepeat_edChange() {
    // Values above the spinner's 20 are accepted.
    isValidInteger(NoOfAyaRepeat_ed->text());
}

void Truvo_frm::times_edChange() { isValidInteger(times_ed->text()); }

void Truvo_frm::delay_edChange() {
    if (!isValidInteger(delay_ed->text()))
        return;
    if (valueOf(delay_ed) > 60)
        delay_ed->setText(QStringLiteral("60"));
}

// ---- Spinners (each has moved already; writing its box runs the box's check) -------------

void Truvo_frm::fromAya_udClick() {
    // Sura 1 has no opening formula to start a range with.
    if (fromAya_ud->position() == 0 && currentSora == 1)
        return;
    const int count = zelan::data::ayaCount(currentSora);
    if (fromAya_ud->position() > count)
        fromAya_ud->setPosition(count);
    writeNumber(fromAya_ed, fromAya_ud->position());
}

void Truvo_frm::toAya_udClick() {
    if (toAya_ud->position() == 0)
        return;
    const int count = zelan::data::ayaCount(currentSora);
    if (toAya_ud->position() > count)
        toAya_ud->setPosition(count);
    writeNumber(toAya_ed, toAya_ud->position());
}

void Truvo_frm::NoOfAyaRepeat_udClick() { writeNumber(NoOfAyaRepeat_ed, NoOfAyaRepeat_ud->position()); }

void Truvo_frm::times_udClick() { writeNumber(times_ed, times_ud->position()); }

void Truvo_frm::delay_udClick() { writeNumber(delay_ed, delay_ud->position()); }

// ---- Reading the settings ----------------------------------------------------------------

bool Truvo_frm::readRangeSettings() {
    // Read in this order; a box that fails leaves the values read before it in place.
    const std::pair<QLineEdit*, qint32*> fields[] = {
        {fromAya_ed, &rangeFrom},        {toAya_ed, &rangeTo},     {NoOfAyaRepeat_ed, &ayaRepeatsLeft},
        {times_ed, &rangePassesLeft}, {delay_ed, &repeatPause},
    };
    for (const auto& [box, target] : fields) {
        bool ok = false;
        const int value = box->text().toInt(&ok, 10);
        if (!ok) {
            showErrorPopup(this, pictureLibrary);
            return false;
        }
        *target = value;
    }
    // A pause of 0 is refused here although its spinner goes down to 0.
    if (valueOf(times_ed) == 0 || valueOf(NoOfAyaRepeat_ed) == 0 || valueOf(delay_ed) == 0) {
        showErrorPopup(this, pictureLibrary);
        return false;
    }
    // The boxes were limited to the sura they were typed in; the user may have gone to a
    // shorter sura since (a range 1 to 42 of sura 80, then sura 112). Both ayas must be in the
    // current sura, the first one from the lowest aya its spinner allows, the last from 1.
    const int count = zelan::data::ayaCount(currentSora);
    const auto inSura = [count](int aya, int lowest) { return aya >= lowest && aya <= count; };
    if (!inSura(rangeFrom, zelan::data::firstAya(currentSora)) || !inSura(rangeTo, 1)) {
        showErrorPopup(this, pictureLibrary);
        return false;
    }
    if (rangeTo < rangeFrom) {
        // Writing the first aya's box moves the reading position to the new first aya.
        const qint32 from = rangeFrom;
        const qint32 to = rangeTo;
        writeNumber(fromAya_ed, to);
        fromAya_ud->setPosition(to);
        writeNumber(toAya_ed, from);
        toAya_ud->setPosition(from);
        rangeFrom = to;
        rangeTo = from;
    }
    return true;
}

void Truvo_frm::readRepeatSettings() {
    bool timesOk = false;
    bool delayOk = false;
    times_ed->text().toInt(&timesOk, 10);
    delay_ed->text().toInt(&delayOk, 10);
    // The aya plays either way; the message only tells the user the range settings are off.
    if (!timesOk || !delayOk)
        zelan::ui::showMessage(QStringLiteral("فضلا أدخل قيم صحيحة لعدد مرات التكرار والفاصل الزمني"));
}
