// Around the page box: the clock, the sura and part headings, and the picture lists of the
// suras and reciters.

#include "ruvo.h"

#include "imagecontrol.h"
#include "interfacelanguage.h"

#include <QLabel>
#include <QPainter>
#include <QTime>

QString Truvo_frm::clockText(const QTime& time) {
    return time.toString(QStringLiteral("hh:mm"));
}

void Truvo_frm::Timer1Timer() {
    currTime_lb->setText(clockText(QTime::currentTime()));
}

void Truvo_frm::showSoraTitle(int sora) {
    zelan::ui::loadPicture(pictureLibrary, soraPich_im, 206 + sora);
    zelan::ui::loadPicture(pictureLibrary, partPich_im, sora == 1 ? 207 : 206);
}

void Truvo_frm::telawaBy_cbChange(int entry) {
    reciterNumber = entry + 1;
}

void Truvo_frm::sora_cbDrawItem(QPainter& painter, int index, const QRect& rect) const {
    if (index >= 0 && size_t(index) < soraPictures.size())
        painter.drawImage(rect.left(), rect.top() + 1, soraPictures[size_t(index)]);
}

void Truvo_frm::telawaBy_cbDrawItem(QPainter& painter, int index, const QRect& rect) const {
    if (index >= 0 && size_t(index) < telawaByPictures.size())
        painter.drawImage(rect.topLeft(), telawaByPictures[size_t(index)]);
}
