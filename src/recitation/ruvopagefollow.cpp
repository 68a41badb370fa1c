// The page display following the recitation: the share of a running-over aya after which the
// half turns, the half-turn timer that watches the play position, and the three kinds of turn.

#include "ruvo.h"

#include "audioplayer.h"
#include "query.h"
#include "reciters.h"

#include <QTimer>

float Truvo_frm::getHalfTurnFraction() {
    runQuery(*LastAya_qr, {{"soranum", currentSora}, {"ayanum", currentAya}});
    LastAya_qr->first();
    const int lastaya = LastAya_qr->fieldByName(QStringLiteral("lastaya")).asInteger();
    const float timedelay = float(LastAya_qr->fieldByName(QStringLiteral("timedelay")).asFloat());
    const float total = float(LastAya_qr->fieldByName(QStringLiteral("totalAyaTime")).asFloat());
    if (lastaya == 1 && timedelay > 0) {
        // An imported reciter reaches the second half's first word at a moment of its own.
        if (const std::optional<float> imported =
                zelan::recitation::importedTurnFraction(reciterNumber, currentSora, currentAya))
            return *imported;
        return timedelay / total;
    }
    if (lastaya == 1 && timedelay == 0)
        return 0;
    return -1;
}

void Truvo_frm::showNewHalf() {
    loadHalfPicture();
    PaintBox1Paint();
    // The box shows the new half at once, so the turn comes with the word that is heard.
    PaintBox1->repaint();
    showPageNumbers();
}

void Truvo_frm::turnHalf(int step) {
    if (step == 0) {
        standOnAyaHalf(*page_half_qr);
        showNewHalf();
        return;
    }
    if (currentSora == 1) {
        currentPage = 2;
        setHalf(1);
    } else if (currentSora == 114) {
        // The last half is on show already.
        currentPage = 24;
        setHalf(2);
        return;
    } else if (currentHalf == 1) {
        setHalf(2);
    } else {
        setHalf(1);
        ++currentPage;
    }
    showNewHalf();
}

void Truvo_frm::advanceHalf() {
    // The new half is drawn once, by showNewHalf (from the box prepared at the aya's start);
    // drawing the old picture for it first, as setHalf does, would only delay the turn.
    if (currentHalf == 1) {
        currentHalf = 2;
    } else {
        currentHalf = 1;
        ++currentPage;
    }
    showNewHalf();
}

void Truvo_frm::showAyaStartHalf() {
    if (currentSora == 1)
        return;
    pageTurnInProgress = true;
    standOnAyaHalf(*page_half_ex2_qr);
    stepOneHalfBack();
    loadHalfPicture();
    PaintBox1Paint();
    pageTurnInProgress = false;
    showPageNumbers();
}

void Truvo_frm::delayAya_tmTimer() {
    auto* player = dynamic_cast<TaudioPlayer*>(audioPlayer.get());
    if (!player)
        return;
    const std::uint32_t position = player->getPosition();
    if (float(player->length) * halfTurnFraction > float(position))
        return;
    delayAya_tm->stop();
    advanceHalf();
}
