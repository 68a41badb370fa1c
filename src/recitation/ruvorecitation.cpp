// The recitation side of the main window: which recording plays for an aya, the check of the
// repetition settings before a single aya plays in range mode, and locking those settings.

#include "ruvo.h"

#include "messages.h"
#include "updown.h"

#include <QDir>
#include <QFrame>
#include <QLineEdit>

namespace {

// The reciters' folders, by reciter number 1 to 4.
const char* const kReciterFolders[] = {"Zorvik", "Pellune", "Sarnex", "Wendak"};

} // namespace

QString Truvo_frm::ayaSoundFile(int sora, int aya) const {
    const QString base = QDir::currentPath() + QStringLiteral("/Translations/Sound_aya/");
    // A reciter outside 1 to 4 names only the recordings' folder, which does not open as a sound.
    if (reciterNumber < 1 || reciterNumber > 4)
        return base;
    return base + QStringLiteral("sora%1/Tivlo/%2/a%3.mp3")
                      .arg(sora)
                      .arg(QString::fromLatin1(kReciterFolders[reciterNumber - 1]))
                      .arg(aya);
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
