// The reading position of the main window (sura, aya, page, half) and every way the user moves
// it: the sura list, the aya box and its spinner, the four sura buttons, the two half buttons
// and the page box.

#include "ruvo.h"

#include "ayacount.h"
#include "components.h"
#include "errormsg.h"
#include "guardedcall.h"
#include "interfacelanguage.h"
#include "picturedecoding.h"
#include "imagecontrol.h"
#include "picturelist.h"
#include "updown.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>

namespace {

// The aya range of a sura: 1 to 7 for sura 1, 0 (the opening formula) to its count otherwise.
int lowestAya(int sora) { return zelan::data::firstAya(sora); }
int highestAya(int sora) { return zelan::data::ayaCount(sora); }

} // namespace

// A style for the page box that can hide its text caret while the box keeps the focus, so the
// user still types into it.
class CaretStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    bool hidden = false;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_TextCursorWidth && hidden)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

void Truvo_frm::connectHandlers() {
    using zelan::ui::ImageControl;
    // Image buttons guard their own clicks; the other widgets call their handlers through a
    // guard, so an error in a handler reaches the error display without unwinding Qt's code.
    using zelan::ui::guarded;
    PaintBox1->installEventFilter(this);
    pageNum_ed->installEventFilter(this);
    m_caretStyle = new CaretStyle;
    m_caretStyle->setParent(pageNum_ed);
    pageNum_ed->setStyle(m_caretStyle);

    connect(Timer1, &QTimer::timeout, this, &Truvo_frm::Timer1Timer);
    sora_cb->setDrawItem([this](QPainter& p, int index, const QRect& rect) { sora_cbDrawItem(p, index, rect); });
    telawaBy_cb->setDrawItem([this](QPainter& p, int index, const QRect& rect) { telawaBy_cbDrawItem(p, index, rect); });
    connect(close_bt, &ImageControl::clicked, this, &Truvo_frm::close_btClick);
    connect(sora_cb, &QComboBox::activated, this, guarded(this, &Truvo_frm::sora_cbChange));
    connect(telawaBy_cb, &QComboBox::activated, this, guarded(this, &Truvo_frm::telawaBy_cbChange));
    connect(langNames_cb, &QComboBox::activated, this, guarded(this, &Truvo_frm::langNames_cbChange));
    connect(aya_ud, &zelan::ui::UpDown::clicked, this, guarded(this, &Truvo_frm::aya_udClick));
    connect(aya_ed, &QLineEdit::textChanged, this, guarded(this, &Truvo_frm::aya_edChange));
    connect(pageNum_ed, &QLineEdit::textChanged, this, guarded(this, &Truvo_frm::pageNum_edChange));
    connect(firstSora_bt_im, &ImageControl::clicked, this, &Truvo_frm::firstSora_bt_imClick);
    connect(prevSora_bt_im, &ImageControl::clicked, this, &Truvo_frm::prevSora_bt_imClick);
    connect(nextSora_bt_im, &ImageControl::clicked, this, &Truvo_frm::nextSora_bt_imClick);
    connect(lastSora_bt_im, &ImageControl::clicked, this, &Truvo_frm::lastSora_bt_imClick);
    connect(nextHalf_im, &ImageControl::clicked, this, &Truvo_frm::nextHalf_imClick);
    connect(prevHalf_im, &ImageControl::clicked, this, &Truvo_frm::prevHalf_imClick);
    connect(TrackBar1, &QSlider::valueChanged, this, guarded(this, &Truvo_frm::TrackBar1Change));
    connect(color_bt_im, &ImageControl::clicked, this, &Truvo_frm::color_bt_imClick);
    connect(delayAya_tm, &QTimer::timeout, this, &Truvo_frm::delayAya_tmTimer);
    connect(rangePause_tm, &QTimer::timeout, this, guarded(this, &Truvo_frm::rangePause_tmTimer));
    // The recitation: player buttons, modes, the range settings and the completion receivers.
    connect(playAya_bt_im, &ImageControl::clicked, this, &Truvo_frm::playAya_bt_imClick);
    connect(pause_bt_im, &ImageControl::clicked, this, &Truvo_frm::pause_bt_imClick);
    connect(stop_bt_im, &ImageControl::clicked, this, &Truvo_frm::stop_bt_imClick);
    connect(playTargamaSoun_bt, &ImageControl::clicked, this, &Truvo_frm::playTargamaSoun_btClick);
    connect(repeatAya_bt_im, &ImageControl::clicked, this, &Truvo_frm::repeatAya_bt_imClick);
    connect(continueAya_rb, &QRadioButton::clicked, this, guarded(this, &Truvo_frm::continueAya_rbClick));
    connect(continuePlay_rb, &QRadioButton::clicked, this, guarded(this, &Truvo_frm::continuePlay_rbClick));
    connect(ayaAya_rb, &QRadioButton::clicked, this, guarded(this, &Truvo_frm::continuePlay_rbClick));
    connect(fromAya_ed, &QLineEdit::textChanged, this, guarded(this, &Truvo_frm::fromAya_edChange));
    connect(toAya_ed, &QLineEdit::textChanged, this, guarded(this, &Truvo_frm::toAya_edChange));
    connect(NoOfAyaRepeat_ed, &QLineEdit::textChanged, this, guarded(this, &Truvo_frm::NoOfAyaRepeat_edChange));
    connect(times_ed, &QLineEdit::textChanged, this, guarded(this, &Truvo_frm::times_edChange));
    connect(delay_ed, &QLineEdit::textChanged, this, guarded(this, &Truvo_frm::delay_edChange));
    connect(fromAya_ud, &zelan::ui::UpDown::clicked, this, guarded(this, &Truvo_frm::fromAya_udClick));
    connect(toAya_ud, &zelan::ui::UpDown::clicked, this, guarded(this, &Truvo_frm::toAya_udClick));
    connect(NoOfAyaRepeat_ud, &zelan::ui::UpDown::clicked, this, guarded(this, &Truvo_frm::NoOfAyaRepeat_udClick));
    connect(times_ud, &zelan::ui::UpDown::clicked, this, guarded(this, &Truvo_frm::times_udClick));
    connect(delay_ud, &zelan::ui::UpDown::clicked, this, guarded(this, &Truvo_frm::delay_udClick));
    ayaRepeatFinished_ed->installEventFilter(this);
    targamaRepeatFinished_ed->installEventFilter(this);

    connect(printTargama_im, &ImageControl::clicked, this, &Truvo_frm::printTargama_imClick);
    connect(zelanIndex_im, &ImageControl::clicked, this, &Truvo_frm::zelanIndex_imClick);
    connect(help_im, &ImageControl::clicked, this, &Truvo_frm::help_imClick);
    connect(group_bt_im, &ImageControl::clicked, this, &Truvo_frm::group_bt_imClick);
}

bool Truvo_frm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PaintBox1) {
        if (event->type() == QEvent::Paint) {
            pageBoxPaintEvent();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            zelan::ui::runGuarded([&] { PaintBox1MouseDown(mouse->button(), at.x(), at.y()); });
        }
    } else if (watched == ayaRepeatFinished_ed) {
        ayaRepeatWndProc(event);
    } else if (watched == targamaRepeatFinished_ed) {
        targamaRepeatWndProc(event);
    } else if (watched == pageNum_ed) {
        pageNumWndProc(event);
        if (event->type() == QEvent::FocusIn)
            zelan::ui::runGuarded([this] { pageNum_edEnter(); });
        else if (event->type() == QEvent::MouseButtonPress)
            zelan::ui::runGuarded([this] { pageNum_edClick(); });
    }
    return QDialog::eventFilter(watched, event);
}

bool Truvo_frm::isValidInteger(const QString& text) {
    bool ok = false;
    text.toInt(&ok, 10);
    if (!ok)
        showErrorPopup(this, pictureLibrary);
    return ok;
}

void Truvo_frm::stopPlayingRecitation() {
    cancelRangePause();
    // A paused aya is closed too: left open, the play button would resume it at the old
    // position, and its half-turn timer could still turn the page away from the new one.
    if (!audioPlayer)
        return;
    const int mode = audioPlayer->getMode();
    if (mode == AyaPlayer::kPlaying || mode == AyaPlayer::kPaused)
        audioPlayer->close();
}

void Truvo_frm::closeHeldRecitation() {
    const bool inPause = rangePause_tm->isActive();
    cancelRangePause();
    if (audioPlayer && (inPause || audioPlayer->getMode() == AyaPlayer::kPaused))
        audioPlayer->close();
}

// ---- The position ------------------------------------------------------------------------

void Truvo_frm::setSora(int sora) {
    currentSora = sora;
    sora_cb->setCurrentIndex(sora == 1 ? 0 : sora - 77);
    const int lowest = lowestAya(sora);
    const int highest = highestAya(sora);
    for (zelan::ui::UpDown* spinner : {aya_ud, fromAya_ud, toAya_ud})
        spinner->setRange(lowest, highest);
    showSoraTitle(sora);
}

void Truvo_frm::setAya(int aya) {
    currentAya = aya;
    if (aya == -1)
        return;
    {
        const QSignalBlocker detached(aya_ed);
        aya_ud->setPosition(aya);
        showAyaNumber(aya);
    }
    if (pageTurnInProgress)
        return;
    // The page half of the aya's first row. Comparing the page as well as the half matters for
    // an aya on the same half number of another page (typed into the aya box, or the first aya
    // of a range on a later pass): the half on show must change then too.
    runQuery(*halfNum_qr, {{"soranum", currentSora}, {"ayaNum", aya}});
    const int half = halfNum_qr->fieldByName(QStringLiteral("halfNum")).asInteger();
    const int page = halfNum_qr->fieldByName(QStringLiteral("pageNum")).asInteger();
    if ((half != currentHalf || page != currentPage) && currentSora != 1)
        showAyaPage();
    PaintBox1Paint();
}

void Truvo_frm::setHalf(int half) {
    currentHalf = half;
    if (currentSora != 1)
        PaintBox1Paint();
}

void Truvo_frm::showAyaNumber(int aya) {
    aya_ed->setText(QString::number(aya));
    aya_ed->setVisible(aya != 0);
}

void Truvo_frm::standOnAyaHalf(zelan::tables::Query& query) {
    runQuery(query, {{"soranum", currentSora}, {"ayanum", currentAya}});
    currentPage = query.fieldByName(QStringLiteral("pageNum")).asInteger();
    setHalf(query.fieldByName(QStringLiteral("halfNum")).asInteger());
}

void Truvo_frm::stepOneHalfBack() {
    if (currentHalf == 2) {
        setHalf(1);
    } else if (currentPage == 2) {
        currentPage = 1; // page 1 is sura 1's alone, on its first half
        setHalf(1);
    } else {
        --currentPage;
        setHalf(2);
    }
}

void Truvo_frm::standOnFirstAyaOfHalf() {
    // The lowest sura on the half on show and its lowest aya. Where a sura starts, its title
    // line (aya -1) comes first; it stands for the first aya it introduces: the opening
    // formula, or aya 1 in sura 1, which has no formula of its own (its aya 1 is the formula).
    runQuery(*sora_aya_qr, {{"pagenum", currentPage}, {"halfnum", currentHalf}});
    const int sora = sora_aya_qr->fieldByName(QStringLiteral("soraNum")).asInteger();
    const int aya = sora_aya_qr->fieldByName(QStringLiteral("ayaNum")).asInteger();
    setSora(sora);
    setAya(std::max(aya, lowestAya(sora)));
}

void Truvo_frm::showAyaPage() {
    standOnAyaHalf(*page_half_qr);
    loadHalfPicture();
    PaintBox1Paint();
    PaintBox1->repaint();
    showPageNumbers();
}

void Truvo_frm::loadHalfPicture() {
    // No row, empty or damaged data: the previous picture stays, and nothing is reported.
    if (const QImage picture = halfPicture(currentPage, currentHalf); !picture.isNull())
        pagePicture = picture;
}

void Truvo_frm::prepareHalf(int page, int half) {
    prepareCanvas(halfPicture(page, half), page, half);
}

QImage Truvo_frm::halfPicture(int page, int half) {
    pagesPich_tb->setFilter(zelan::data::filters::pageHalf(page, half));
    // The tables do not change while the program runs, so a half decoded once (shown before,
    // or prepared for a turn in the middle of an aya) is not decoded again.
    for (const auto& [key, picture] : m_decodedHalves) {
        if (key == std::make_pair(page, half))
            return picture;
    }
    QImage picture;
    if (const auto stream = pagesPich_tb->createBlobStream(QStringLiteral("PagePich"))) {
        if (auto decoded = zelan::ui::decodeJpeg(stream->readAll()))
            picture = std::move(*decoded);
    }
    if (!picture.isNull()) {
        constexpr size_t kKept = 6; // about 3.5 MB of pictures
        if (m_decodedHalves.size() == kKept)
            m_decodedHalves.pop_front();
        m_decodedHalves.push_back({{page, half}, picture});
    }
    return picture;
}

void Truvo_frm::showPageNumbers() {
    runQuery(*pageNum2_qr, {{"soranum", currentSora}, {"ayanum", currentAya}});
    pageNum_lb->setText(pageNum2_qr->fieldByName(QStringLiteral("pagenum")).asString());
    pageNum_ed->setText(QString::number(currentPage));
}

void Truvo_frm::goToPage(int page) {
    currentPage = page;
    setHalf(1);
    pageTurnInProgress = true;
    standOnFirstAyaOfHalf();
    loadHalfPicture();
    PaintBox1Paint();
    PaintBox1->repaint();
    pageTurnInProgress = false;
}

// ---- Sura list, aya box and spinner -----------------------------------------------------

void Truvo_frm::sora_cbChange(int entry) {
    stopPlayingRecitation();
    // The aya is set before the sura: the page lookup inside this setAya uses the previous
    // sura, and showAyaPage below then shows the right half.
    const int sora = soraOfEntry(entry);
    setAya(entry == 0 ? 1 : 0);
    for (zelan::ui::UpDown* spinner : {aya_ud, fromAya_ud, toAya_ud})
        spinner->setMinimum(lowestAya(sora));
    setSora(sora);
    for (zelan::ui::UpDown* spinner : {aya_ud, fromAya_ud, toAya_ud})
        spinner->setMaximum(highestAya(sora));
    aya_ud->setPosition(aya_ud->minimum());
    showAyaNumber(aya_ud->position());
    showAyaPage();
}

void Truvo_frm::aya_udClick() {
    int position = aya_ud->position();
    // The spinner's bottom does not select the opening formula.
    if (position == 0)
        return;
    stopPlayingRecitation();
    const int count = highestAya(currentSora);
    if (position > count) {
        aya_ud->setPosition(count);
        position = count;
    }
    showAyaNumber(position);
    setAya(position);
}

void Truvo_frm::aya_edChange() {
    if (!isValidInteger(aya_ed->text()))
        return;
    int value = aya_ed->text().toInt();
    aya_ed->setVisible(value != 0);
    const int count = highestAya(currentSora);
    if (value > count) {
        const QSignalBlocker detached(aya_ed);
        showAyaNumber(count);
        value = count;
    }
    aya_ud->setPosition(value);
    stopPlayingRecitation();
    setAya(aya_ud->position());
}

// ---- Sura buttons ----------------------------------------------------------------------------

void Truvo_frm::firstSora_bt_imClick() {
    stopPlayingRecitation();
    setSora(1);
    setAya(1);
    showAyaPage();
}

void Truvo_frm::prevSora_bt_imClick() {
    // At the first sura nothing happens at all: the recitation goes on too.
    if (currentSora == 1)
        return;
    stopPlayingRecitation();
    if (currentSora == 78) {
        setSora(1);
        setAya(1);
    } else {
        setSora(currentSora - 1);
        setAya(0);
    }
    showAyaPage();
}

void Truvo_frm::nextSora_bt_imClick() {
    stopPlayingRecitation();
    if (currentSora == 114) {
        setSora(1);
        setAya(1);
    } else {
        setSora(currentSora == 1 ? 78 : currentSora + 1);
        setAya(0);
    }
    showAyaPage();
}

void Truvo_frm::lastSora_bt_imClick() {
    stopPlayingRecitation();
    setSora(114);
    setAya(0);
    showAyaPage();
}

// ---- Half buttons --------------------------------------------------------------------------

void Truvo_frm::stepHalf(zelan::tables::Query& query, bool forward) {
    pageTurnInProgress = true;
    cancelRangePause();
    if (audioPlayer) {
        const int mode = audioPlayer->getMode();
        if (mode == AyaPlayer::kOpen || mode == AyaPlayer::kPlaying || mode == AyaPlayer::kPaused)
            audioPlayer->close();
    }
    // From the lowest page of the current aya and, on it, its higher half.
    standOnAyaHalf(query);
    if (forward) {
        if (currentHalf == 1 && currentSora != 1) {
            setHalf(2);
        } else if (currentSora == 1) {
            currentPage = 2;
            setHalf(1);
        } else {
            ++currentPage;
            setHalf(1);
        }
    } else {
        stepOneHalfBack();
    }
    standOnFirstAyaOfHalf();
    loadHalfPicture();
    PaintBox1Paint();
    pageTurnInProgress = false;
    showPageNumbers();
}

void Truvo_frm::nextHalf_imClick() {
    if (currentSora == 1)
        return;
    stepHalf(*page_half_ex2_qr, false);
}

void Truvo_frm::prevHalf_imClick() {
    if (currentPage == 24 && currentHalf == 2)
        return;
    stepHalf(*page_half_ex_qr, true);
}

// ---- Page box ------------------------------------------------------------------------------

void Truvo_frm::pageNum_edChange() {
    stopPlayingRecitation();
    const QString text = pageNum_ed->text();
    if (!isValidInteger(text))
        return;
    if (!pageNum_ed->isModified())
        return;
    if (text.isEmpty() || text.size() > 5)
        return;
    const int page = text.toInt();
    if (page < 1 || page > 24)
        return;
    goToPage(page);
    m_caretStyle->hidden = true;
    pageNum_ed->update();
}

void Truvo_frm::pageNum_edEnter() {
    m_caretStyle->hidden = false;
    pageNum_ed->update();
}

void Truvo_frm::pageNum_edClick() {
    pageNum_edEnter();
}

bool Truvo_frm::pageNumCaretShown() const {
    return !m_caretStyle->hidden;
}
