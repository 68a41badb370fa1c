// The recitation of the main window: which recording plays for an aya and for its translation,
// what the player buttons do, and what follows the end of each sound.
//
// Nothing records what kind of sound is playing. Each sound is started with one of four
// receivers, and when it ends, the receiver's handler decides from the mode controls as they
// stand then what comes next: the aya's translation, the next aya, the same aya again, the
// range's first aya again, or nothing.

#include "ruvo.h"

#include "audioplayer.h"
#include "ayacount.h"
#include "imagebutton.h"
#include "messages.h"
#include "platform/media/mediadevice.h"
#include "reciters.h"
#include "table.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTime>
#include <QTimer>

qint32 ayaRepeatCount = 0;
qint32 ayaRepeatsLeft = 0;
qint32 rangePassesLeft = 0;
qint32 repeatPause = 0;

namespace {

// The folders of the translation recordings, by the translation record's language number.
const char* const kLanguageFolders[] = {
    "",      "arab",  "eng",  "fren",  "germ",  "amha",  "nko",   "zulu",  "chich",  "soma",     "hausa",
    "yoru",  "span",  "sind", "kash",  "alba",  "serbo", "roma",  "mac",   "greek",  "urdu",     "brau",
    "tami",  "russ",  "persi", "mala", "turk",  "kaza",  "indo",  "uigh",  "iran",   "burm",     "thai",
    "taga",  "chin",  "kore", "mand",  "amazi", "azeri", "portog", "foul_Ara", "foul_Lat", "sawd", "vitna",
};
constexpr int kLanguageCount = int(std::size(kLanguageFolders));
static_assert(kLanguageCount == 44);

} // namespace

namespace zelan::recitation {

int rangePauseMs(int seconds, int msIntoSecond) {
    if (seconds <= 1)
        return 0;
    return (seconds - 1) * 1000 - msIntoSecond;
}

} // namespace zelan::recitation

// ---- Files -------------------------------------------------------------------------------

QString Truvo_frm::ayaSoundFile(int sora, int aya) const {
    const QString base = QDir::currentPath() + QStringLiteral("/Translations/Sound_aya/");
    // A reciter outside 1 to 4 names only the recordings' folder, which does not open as a sound.
    if (reciterNumber < 1 || reciterNumber > 4)
        return base;
    return base + QStringLiteral("sora%1/Tivlo/%2/a%3.mp3")
                      .arg(sora)
                      .arg(zelan::recitation::reciterFolder(reciterNumber))
                      .arg(aya);
}

QString Truvo_frm::translationSoundPath(int sora, bool* exists) {
    const int language = Translations_tb->fieldByName(QStringLiteral("LangNum")).asInteger();
    const QString file = Translations_tb->fieldByName(QStringLiteral("SoundTransFile")).asString();
    // A language number outside the table has no folder: the path is shown with an empty one.
    const bool known = language >= 0 && language < kLanguageCount;
    const QString folder = known ? QString::fromLatin1(kLanguageFolders[language]) : QString();
    const QString path = QDir::currentPath() + QStringLiteral("/Translations/Sound_trans/Lang/") + folder +
                         QStringLiteral("/sora%1/").arg(sora) + file;
    // A record without a file name names the sura's folder, which is no recording.
    *exists = known && QFileInfo(path).isFile();
    return path;
}

QString Truvo_frm::translationSoundFile(int sora) {
    bool exists = false;
    const QString path = translationSoundPath(sora, &exists);
    if (exists)
        return path;
    zelan::ui::showMessage(QStringLiteral("الملف التالي غير موجود : ") + path);
    return QString();
}

QString Truvo_frm::followingSoundFile(const QObject* receiver) {
    // The choices of the notice handlers below, step by step, without their side effects.
    const auto translation = [this] {
        bool exists = false;
        const QString path = translationSoundPath(currentSora, &exists);
        return exists ? path : QString();
    };
    const auto nextAyaFile = [this] {
        if (currentAya != zelan::data::ayaCount(currentSora))
            return ayaSoundFile(currentSora, currentAya + 1);
        if (currentSora == 114)
            return QString();
        return ayaSoundFile(currentSora == 1 ? 78 : currentSora + 1, 0);
    };
    if (rangePause_tm->isActive())
        return QString();
    if (receiver == this) {
        if (ayaAndTargamaSound_rb->isChecked())
            return translation();
        return continuePlay_rb->isChecked() ? nextAyaFile() : QString();
    }
    if (receiver == pageNum_ed)
        return continuePlay_rb->isChecked() ? nextAyaFile() : QString();
    if (receiver == ayaRepeatFinished_ed) {
        if (zelan::recitation::rangePauseMs(repeatPause, 0) > 0)
            return QString();
        return ayaAndTargamaSound_rb->isChecked() ? translation() : rangeStepSoundFile();
    }
    if (receiver == targamaRepeatFinished_ed)
        return rangeStepSoundFile();
    return QString();
}

QString Truvo_frm::rangeStepSoundFile() const {
    const qint32 passes = rangePassesLeft;
    const qint32 repeats = ayaRepeatsLeft;
    const qint32 aya = currentAya;
    if (repeats == 1 && aya < rangeTo && passes >= 1)
        return ayaSoundFile(currentSora, aya + 1);
    if (passes > 1 && repeats == 1 && aya == rangeTo)
        return ayaSoundFile(currentSora, rangeFrom);
    if (passes >= 1 && repeats > 1)
        return ayaSoundFile(currentSora, aya);
    return QString();
}

// ---- Position ----------------------------------------------------------------------------

bool Truvo_frm::nextAya() {
    if (currentAya == zelan::data::ayaCount(currentSora)) {
        if (currentSora == 114) {
            if (TaudioPlayer* player = recitationPlayer())
                player->close();
            return false;
        }
        setSora(currentSora == 1 ? 78 : currentSora + 1);
        setAya(0);
        return true;
    }
    setAya(currentAya + 1);
    return true;
}

// ---- Starting sounds ---------------------------------------------------------------------

TaudioPlayer* Truvo_frm::recitationPlayer() const { return dynamic_cast<TaudioPlayer*>(audioPlayer.get()); }

void Truvo_frm::playRangeAya() {
    if (TaudioPlayer* player = recitationPlayer())
        player->playAya(ayaRepeatFinished_ed, ayaSoundFile(currentSora, currentAya));
}

void Truvo_frm::playCurrentTranslation(const QString& path) {
    TaudioPlayer* player = recitationPlayer();
    if (!player)
        return;
    if (player->getMode() == AyaPlayer::kPlaying)
        player->close();
    QObject* receiver = continueAya_rb->isChecked() ? static_cast<QObject*>(targamaRepeatFinished_ed)
                                                    : static_cast<QObject*>(pageNum_ed);
    player->playTranslation(receiver, path);
}

// ---- Player buttons ----------------------------------------------------------------------

void Truvo_frm::playAya_bt_imClick() {
    TaudioPlayer* player = recitationPlayer();
    if (!player)
        return;
    cancelRangePause();
    // Something that plays starts again from the beginning; a paused sound goes on.
    if (player->getMode() == AyaPlayer::kPlaying)
        player->close();
    if (player->getMode() == AyaPlayer::kPaused) {
        showPlayerPictures(493, 508, 530, 526);
        player->resume();
        return;
    }
    if (continueAya_rb->isChecked())
        readRepeatSettings();
    PaintBox1Paint();
    player->playAya(this, ayaSoundFile(currentSora, currentAya));
}

void Truvo_frm::pause_bt_imClick() {
    TaudioPlayer* player = recitationPlayer();
    if (!player)
        return;
    // With nothing open (after navigation, the end of a range or of sura 114) there is nothing
    // to pause: the buttons keep their idle pictures.
    if (!player->opened) {
        showIdlePictures();
        return;
    }
    // In a range pause the range is held at the aya that ended: resuming it completes that
    // aya again, and the range goes on after a new pause.
    cancelRangePause();
    player->pause();
    showPausedPictures();
}

void Truvo_frm::stop_bt_imClick() {
    TaudioPlayer* player = recitationPlayer();
    if (!player)
        return;
    cancelRangePause();
    // The file stays open, stopped: no later notice counts, so nothing follows. With nothing
    // open the player sends no command.
    player->stop();
    showIdlePictures();
}

void Truvo_frm::playTargamaSoun_btClick() {
    TaudioPlayer* player = recitationPlayer();
    if (!player)
        return;
    cancelRangePause();
    if (player->getMode() == AyaPlayer::kPaused) {
        player->resume();
        return;
    }
    if (player->getMode() == AyaPlayer::kPlaying)
        player->close();
    playCurrentTranslation(translationSoundFile(currentSora));
}

void Truvo_frm::repeatAya_bt_imClick() {
    TaudioPlayer* player = recitationPlayer();
    if (!player)
        return;
    if (!readRangeSettings())
        return;
    cancelRangePause();
    const int mode = player->getMode();
    if (mode == AyaPlayer::kPlaying || mode == AyaPlayer::kOpen)
        player->close();
    ayaRepeatCount = ayaRepeatsLeft;
    setAya(rangeFrom);
    playRangeAya();
    // The next start of a sound closes this one, which unlocks the settings again: the lock
    // holds while the range's first aya plays.
    lockRangeSettings();
}

// ---- What follows a sound ----------------------------------------------------------------

bool Truvo_frm::countingNotice(QEvent* event) {
    if (event->type() != zelan::media::CompletionEvent::eventType())
        return false;
    if (static_cast<zelan::media::CompletionEvent*>(event)->notify() != zelan::media::MediaDevice::Successful)
        return false;
    // A range pause is under way: what follows it is decided when it ends, so no notice may
    // start a second sequence meanwhile.
    if (rangePause_tm->isActive())
        return false;
    TaudioPlayer* player = recitationPlayer();
    return player && player->getMode() == AyaPlayer::kPlaying && player->getPosition() == player->length;
}

void Truvo_frm::formWndProc(QEvent* event) {
    if (!countingNotice(event))
        return;
    TaudioPlayer* player = recitationPlayer();
    if (ayaAndTargamaSound_rb->isChecked()) {
        player->playTranslation(pageNum_ed, translationSoundFile(currentSora));
    } else if (continuePlay_rb->isChecked()) {
        // The aya that ended was the last of its half.
        if (getHalfTurnFraction() == 0)
            turnHalf(1);
        if (!nextAya())
            player->close();
        else
            player->playAya(this, ayaSoundFile(currentSora, currentAya));
    } else if (ayaAya_rb->isChecked()) {
        buttonOf(playAya_bt_im)->show(490);
    }
}

void Truvo_frm::pageNumWndProc(QEvent* event) {
    if (!countingNotice(event))
        return;
    TaudioPlayer* player = recitationPlayer();
    if (continuePlay_rb->isChecked()) {
        if (getHalfTurnFraction() == 0)
            turnHalf(1);
        if (!nextAya()) {
            player->close();
        } else {
            highlightAya(currentSora, currentAya, TrackBar1->value());
            player->playAya(this, ayaSoundFile(currentSora, currentAya));
        }
    } else if (ayaAya_rb->isChecked()) {
        buttonOf(playTargamaSoun_bt)->show(530);
    }
}

void Truvo_frm::ayaRepeatWndProc(QEvent* event) {
    if (!countingNotice(event))
        return;
    rangePause();
}

void Truvo_frm::continueRangeAfterAya() {
    TaudioPlayer* player = recitationPlayer();
    if (!player)
        return;
    if (ayaAndTargamaSound_rb->isChecked()) {
        // The range goes on when the translation ends.
        player->playTranslation(targamaRepeatFinished_ed, translationSoundFile(currentSora));
        return;
    }
    if (getHalfTurnFraction() == 0 && continuePlay_rb->isChecked())
        turnHalf(1);
    rangeStep(true);
}

void Truvo_frm::targamaRepeatWndProc(QEvent* event) {
    if (!countingNotice(event))
        return;
    if (getHalfTurnFraction() == 0 && continuePlay_rb->isChecked())
        turnHalf(1);
    rangeStep(false);
}

void Truvo_frm::rangeStep(bool afterAya) {
    const qint32 passes = rangePassesLeft;
    const qint32 repeats = ayaRepeatsLeft;
    const qint32 aya = currentAya;
    if (passes > 1 && repeats == 1 && aya < rangeTo) {
        setAya(aya + 1);
        ayaRepeatsLeft = ayaRepeatCount;
        playRangeAya();
    } else if (passes > 1 && repeats == 1 && aya == rangeTo) {
        setAya(rangeFrom);
        ayaRepeatsLeft = ayaRepeatCount;
        rangePassesLeft = passes - 1;
        playRangeAya();
    } else if (passes > 1 && repeats > 1) {
        ayaRepeatsLeft = repeats - 1;
        playRangeAya();
    } else if (passes == 1 && repeats == 1 && aya < rangeTo) {
        setAya(aya + 1);
        ayaRepeatsLeft = ayaRepeatCount;
        playRangeAya();
    } else if (passes == 1 && repeats == 1 && aya == rangeTo) {
        // The range is finished.
        rangePassesLeft = 0;
        if (TaudioPlayer* player = recitationPlayer())
            player->close();
    } else if (passes == 1 && repeats > 1) {
        ayaRepeatsLeft = repeats - 1;
        // After a running-over aya the display stands on its second half: back to its first.
        if (afterAya)
            turnHalf(0);
        playRangeAya();
    }
    // Counters that fit none of these end the sequence: nothing starts and nothing closes.
}

void Truvo_frm::rangePause() {
    const int ms = zelan::recitation::rangePauseMs(repeatPause, QTime::currentTime().msec());
    if (ms <= 0) {
        continueRangeAfterAya();
        return;
    }
    // The aya has ended, so its half-turn timer has nothing left to watch; the next sound
    // would stop it anyway. The pause's timer measures on the monotonic clock, so a change of
    // the time of day (midnight included) cannot shorten or stretch it.
    delayAya_tm->stop();
    rangePause_tm->start(ms);
}

void Truvo_frm::rangePause_tmTimer() { continueRangeAfterAya(); }

void Truvo_frm::cancelRangePause() { rangePause_tm->stop(); }

// ---- Receivers ---------------------------------------------------------------------------

bool Truvo_frm::event(QEvent* event) {
    if (event->type() == zelan::media::CompletionEvent::eventType())
        formWndProc(event);
    return QDialog::event(event);
}
