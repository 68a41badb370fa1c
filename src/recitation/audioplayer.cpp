#include "audioplayer.h"

#include "interfacelanguage.h"
#include "messages.h"
#include "platform/media/mediadevice.h"
#include "ruvo.h"

#include <QCoreApplication>
#include <QTimer>

float halfTurnFraction = 0;

using zelan::media::MediaDevice;

namespace {

// Whether the user was told in this run that the recitation is silent.
bool g_toldSilent = false;

} // namespace

namespace zelan::recitation {

QString silentOutputNotice(int languageCode) {
    if (languageCode == zelan::ui::kRussian)
        return QStringLiteral("Устройство вывода звука не найдено, поэтому чтение будет идти без звука.");
    return QStringLiteral("لم يُعثر على جهاز لإخراج الصوت، لذلك ستكون التلاوة بلا صوت.");
}

void resetSilentOutputNoticeForTesting() { g_toldSilent = false; }

} // namespace zelan::recitation

TaudioPlayer::TaudioPlayer(MediaDevice& device) : m_device(device) {
    m_device.setFollowingFile([this] {
        return opened && ruvo_frm ? ruvo_frm->followingSoundFile(m_receiver) : QString();
    });
}

TaudioPlayer::~TaudioPlayer() { m_device.setFollowingFile({}); }

std::uint32_t TaudioPlayer::openFile(const QString& path) {
    fileName = path;
    std::uint32_t id = 0;
    lastError = m_device.open(fileName, &id);
    if (lastError != 0)
        return lastError;
    deviceId = id;
    opened = true;
    std::uint32_t ms = 0;
    lastError = m_device.statusLength(deviceId, &ms);
    if (lastError == 0) {
        length = ms;
        return 0;
    }
    const std::uint32_t failed = lastError;
    close();
    reportError(failed);
    return failed;
}

std::uint32_t TaudioPlayer::close() {
    if (ruvo_frm)
        ruvo_frm->delayAya_tm->stop();
    lastError = m_device.close(deviceId);
    opened = false;
    if (lastError != 0)
        return lastError;
    if (ruvo_frm) {
        ruvo_frm->unlockRangeSettings();
        ruvo_frm->showIdlePictures();
    }
    return 0;
}

bool TaudioPlayer::start(QObject* window, const QString& path) {
    close();
    m_receiver = window;
    const std::uint32_t result = openFile(path);
    if (result != 0) {
        reportError(result);
        return false;
    }
    lastError = m_device.play(deviceId, window);
    if (lastError != 0) {
        const std::uint32_t failed = lastError;
        m_device.close(deviceId);
        opened = false;
        reportError(failed);
        return false;
    }
    tellIfSilent();
    return true;
}

void TaudioPlayer::tellIfSilent() {
    if (g_toldSilent || !m_device.playsSilently())
        return;
    g_toldSilent = true;
    QObject* context = ruvo_frm ? static_cast<QObject*>(ruvo_frm) : QCoreApplication::instance();
    const QString text = zelan::recitation::silentOutputNotice(languageCode);
    if (!context) {
        zelan::ui::showMessage(text, {}, zelan::ui::MessageKind::Information);
        return;
    }
    QTimer::singleShot(0, context, [text] { zelan::ui::showMessage(text, {}, zelan::ui::MessageKind::Information); });
}

void TaudioPlayer::playAya(QObject* window, const QString& path) {
    if (!start(window, path))
        return;
    if (!ruvo_frm)
        return;
    ruvo_frm->showRecitingPictures();
    halfTurnFraction = ruvo_frm->getHalfTurnFraction();
    if (halfTurnFraction > 0) {
        if (ruvo_frm->getHalf() == 2)
            ruvo_frm->showAyaStartHalf();
        // Stepping back can write a new page number, and the page box's change handler closes
        // a playing recitation: then there is no play left to watch, and a timer armed anyway
        // would query a file that is no longer open.
        if (!opened)
            return;
        ruvo_frm->delayAya_tm->start();
        // The half the turn will show, decoded now while the aya's first words play.
        const int half = ruvo_frm->getHalf();
        ruvo_frm->prepareHalf(half == 1 ? ruvo_frm->currentPage : ruvo_frm->currentPage + 1, half == 1 ? 2 : 1);
    }
}

void TaudioPlayer::playTranslation(QObject* window, const QString& path) {
    if (!start(window, path))
        return;
    if (ruvo_frm)
        ruvo_frm->showTranslationPictures();
}

void TaudioPlayer::pause() {
    if (!opened)
        return;
    lastError = m_device.pause(deviceId);
    if (lastError != 0)
        reportError(lastError);
}

void TaudioPlayer::resume() {
    if (!opened)
        return;
    lastError = m_device.resume(deviceId);
    if (lastError != 0)
        reportError(lastError);
}

void TaudioPlayer::stop() {
    if (!opened)
        return;
    lastError = m_device.stop(deviceId);
    if (lastError != 0)
        reportError(lastError);
}

int TaudioPlayer::getMode() {
    if (!opened) {
        mode = 0;
        return 0;
    }
    std::uint32_t value = 0;
    lastError = m_device.statusMode(deviceId, &value);
    if (lastError != 0) {
        const std::uint32_t failed = lastError;
        close();
        reportError(failed);
        return 0;
    }
    switch (value) {
    case MediaDevice::NotReady:
        mode = 0;
        break;
    case MediaDevice::Paused:
        mode = 1;
        break;
    case MediaDevice::Playing:
        mode = 2;
        break;
    case MediaDevice::Stopped:
        mode = 3;
        break;
    case MediaDevice::Open:
        mode = 4;
        break;
    case MediaDevice::Recording:
        mode = 5;
        break;
    case MediaDevice::Seeking:
        mode = 6;
        break;
    default:
        break; // a mode the table does not know keeps the last code
    }
    return mode;
}

std::uint32_t TaudioPlayer::getPosition() {
    std::uint32_t ms = 0;
    lastError = m_device.statusPosition(deviceId, &ms);
    if (lastError != 0) {
        const std::uint32_t failed = lastError;
        close();
        reportError(failed);
        return 0;
    }
    position = ms;
    return position;
}

void TaudioPlayer::reportError(std::uint32_t code) {
    zelan::ui::beep();
    const QString text = m_device.errorText(code);
    zelan::ui::showMessage(text.isEmpty() ? QStringLiteral("Unknown Error") : text, QStringLiteral("MCI Error"),
                           zelan::ui::MessageKind::Warning);
}
