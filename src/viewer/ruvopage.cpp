// The page box: the page half on show with the mark of the current aya, the highlight factor
// and colour, and the click that picks an aya.
//
// Everything is drawn into an off-screen canvas that the box then shows. The mark recolours the
// ink of the aya's bands on that canvas, so a factor change can draw over what is shown without
// repainting the page first.

#include "ruvo.h"

#include "ayacount.h"
#include "messages.h"
#include "query.h"

#include <QColorDialog>
#include <QLabel>
#include <QMetaObject>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

namespace {

constexpr QSize kPageBox(412, 354);

// The colour the dialog showed last in this run: it opens with it, not with the mark colour.
QColor& lastDialogColour() {
    static QColor colour(Qt::black);
    return colour;
}

QRgb toRgb(quint32 colour) {
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

quint32 fromColor(const QColor& colour) {
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}

} // namespace

void Truvo_frm::PaintBox1Paint() {
    if (!m_prepared.canvas.isNull() && m_prepared.sameAs(canvasKey(pagePicture, currentPage, getHalf()))) {
        // Drawn already, while the aya's first words played: the turn only shows it.
        m_canvas = std::move(m_prepared.canvas);
        m_prepared = {};
    } else {
        drawPage(m_canvas, pagePicture);
        markAya(m_canvas, getSora(), getAya(), currentPage, getHalf(), TrackBar1->value());
    }
    showCanvas();
}

Truvo_frm::PreparedCanvas Truvo_frm::canvasKey(const QImage& picture, int page, int half) const {
    return {picture.cacheKey(), getSora(), getAya(), page, half, TrackBar1->value(), highlightColor, {}};
}

void Truvo_frm::drawPage(QImage& canvas, const QImage& picture) {
    if (canvas.size() != kPageBox)
        canvas = QImage(kPageBox, QImage::Format_RGB32);
    QPainter p(&canvas);
    p.fillRect(canvas.rect(), QColor(254, 255, 241));
    p.drawImage(0, 0, picture);
}

void Truvo_frm::prepareCanvas(const QImage& picture, int page, int half) {
    m_prepared = canvasKey(picture, page, half);
    if (picture.isNull())
        return;
    drawPage(m_prepared.canvas, picture);
    markAya(m_prepared.canvas, getSora(), getAya(), page, half, TrackBar1->value());
}

void Truvo_frm::showCanvas() {
    m_canvasFresh = true;
    // Inside a paint of the box the canvas is shown by that paint; asking for another one there
    // would paint the box again and again while the window stands idle.
    if (!m_inPageBoxPaint)
        PaintBox1->update();
}

void Truvo_frm::pageBoxPaintEvent() {
    // A paint the system asks for (the box uncovered, first shown) draws the box anew; one that
    // follows a drawing of ours shows the canvas as it is. An engine error during the drawing
    // is reported after the paint, and only once for the same error, since closing the message
    // box paints the box again.
    if (!m_canvasFresh) {
        m_inPageBoxPaint = true;
        try {
            PaintBox1Paint();
            m_paintError.clear();
        } catch (const std::exception& error) {
            const QString text = QString::fromUtf8(error.what());
            if (text != m_paintError) {
                m_paintError = text;
                QMetaObject::invokeMethod(this, [text] { zelan::ui::showMessage(text); }, Qt::QueuedConnection);
            }
        }
        m_inPageBoxPaint = false;
    }
    m_canvasFresh = false;
    QPainter p(PaintBox1);
    if (m_canvas.isNull())
        p.fillRect(PaintBox1->rect(), QColor(254, 255, 241));
    else
        p.drawImage(0, 0, m_canvas);
}

void Truvo_frm::highlightAya(int sora, int aya, int factor) {
    if (!markAya(m_canvas, sora, aya, currentPage, getHalf(), factor))
        return;
    showCanvas();
}

bool Truvo_frm::markAya(QImage& canvas, int sora, int aya, int page, int half, int factor) {
    if (sora == 0 || (sora == 1 && aya == 0))
        return false;
    runQuery(*ayaLines_qr, {{"soranum", sora}, {"ayanum", aya}, {"halfNum", half}, {"pageNum", page}});
    if (aya == -1)
        return false;
    for (ayaLines_qr->first(); !ayaLines_qr->eof(); ayaLines_qr->next()) {
        const auto field = [&](const char* name) { return ayaLines_qr->fieldByName(QString::fromLatin1(name)).asInteger(); };
        const QRect band = ayaLineRect(field("x1aya"), field("x2aya"), field("pagenum"), field("halfnum"),
                                       field("soranum"), field("ylinefromtop"));
        tintRect(canvas, band, factor);
    }
    return true;
}

QRect Truvo_frm::ayaLineRect(int x1aya, int x2aya, int page, int half, int sora, int ylinefromtop) {
    runQuery(*lineHeight_qr,
             {{"linefromtop", ylinefromtop}, {"soranum", sora}, {"pagenum", page}, {"halfnum", half}});
    int top = 0;
    if (!lineHeight_qr->isEmpty()) {
        lineHeight_qr->last();
        top = lineHeight_qr->fieldByName(QStringLiteral("ylinefromtop")).asInteger();
    }
    return QRect(QPoint(x1aya, top), QPoint(x2aya, ylinefromtop));
}

void Truvo_frm::tintRect(const QRect& rect, int factor) { tintRect(m_canvas, rect, factor); }

void Truvo_frm::tintRect(QImage& canvas, const QRect& rect, int factor) {
    if (canvas.isNull())
        return;
    // Pixels outside the box cannot be read and are left alone.
    const QRect visible = rect.intersected(canvas.rect());
    if (visible.isEmpty())
        return;
    const QRgb mark = toRgb(highlightColor);
    const int redLimit = 2 * factor;   // ink: R <= 2 x factor
    const int greenLimit = 255 * factor; // and 100 x G < 255 x factor; blue is not looked at
    for (int y = visible.top(); y <= visible.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = visible.left(); x <= visible.right(); ++x) {
            const QRgb pixel = line[x];
            if (qRed(pixel) <= redLimit && 100 * qGreen(pixel) < greenLimit)
                line[x] = mark;
        }
    }
}

void Truvo_frm::TrackBar1Change() {
    if (TrackBar1->value() < 60)
        TrackBar1->setValue(60);
    highlightAya(getSora(), getAya(), TrackBar1->value());
    highlightFactor_lb->setText(QString::number(TrackBar1->value()) + QStringLiteral(" % "));
}

void Truvo_frm::color_bt_imClick() {
    QColorDialog dialog(lastDialogColour(), this);
    dialog.setObjectName(QStringLiteral("ColorDialog1"));
    if (zelan::ui::showModal(&dialog) == QDialog::Accepted) {
        lastDialogColour() = dialog.selectedColor();
        highlightColor = fromColor(dialog.selectedColor());
    }
    PaintBox1Paint();
}

void Truvo_frm::PaintBox1MouseDown(Qt::MouseButton button, int x, int y) {
    delayAya_tm->stop();
    if (continueAya_rb->isChecked())
        readRepeatSettings();
    if (button != Qt::LeftButton)
        return;
    runQuery(*keraat_qr, {{"yLine", y}, {"pagenum", currentPage}, {"halfnum", getHalf()}});
    if (keraat_qr->isEmpty())
        return;
    const auto field = [&](const char* name) { return keraat_qr->fieldByName(QString::fromLatin1(name)).asInteger(); };
    keraat_qr->first();
    const int targetLine = field("ylinefromtop");
    int hitSora = 0;
    int hitAya = 0;
    bool hit = false;
    for (; !keraat_qr->eof() && field("ylinefromtop") == targetLine; keraat_qr->next()) {
        if (field("ayanum") == -1) {
            // A title line is no aya: it selects its sura at the first aya it introduces (the
            // opening formula, or aya 1 in sura 1), marked, which play and the translation
            // button then take. It starts nothing; like choosing a sura in the list it ends a
            // playing or held recitation, whose next step would otherwise go on from the new
            // position.
            const int sora = field("soranum");
            stopPlayingRecitation();
            setSora(sora);
            setAya(zelan::data::firstAya(sora));
            return;
        }
        if (field("x1aya") < x && x < field("x2aya")) {
            hitSora = field("soranum");
            hitAya = field("ayanum");
            hit = true;
            break;
        }
    }
    if (!hit)
        return;
    // The clicked aya starts anew: a range pause under way leads nowhere now.
    cancelRangePause();
    setSora(hitSora);
    setAya(hitAya);
    highlightAya(getSora(), getAya(), TrackBar1->value());
    if (audioPlayer)
        audioPlayer->playAya(this, ayaSoundFile(getSora(), getAya()));
}
