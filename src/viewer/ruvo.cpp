// The main window's life: construction, creation for the interface language, showing and
// closing; and the reading-position steps that creation needs.

#include "ruvo.h"

#include "ayacount.h"
#include "components.h"
#include "designresources.h"
#include "imagebutton.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "picturedecoding.h"
#include "picturelist.h"
#include "updown.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTime>
#include <QTimer>

Truvo_frm* ruvo_frm = nullptr;

namespace {

QString clockText() {
    return QTime::currentTime().toString(QStringLiteral("hh:mm"));
}

} // namespace

Truvo_frm::Truvo_frm(QWidget* owner) : QDialog(owner) {
    zelan::design::initDesignResources();
    buildDesign();
    setSora(1);
    setAya(1);
    pageTurnInProgress = false;
    PaintBox1->installEventFilter(this);
    connect(Timer1, &QTimer::timeout, this, [this] { currTime_lb->setText(clockText()); });
    connect(close_bt, &zelan::ui::ImageControl::clicked, this, &Truvo_frm::close_btClick);
    // A failure while creating (a table that cannot be opened) is shown like any error that
    // escapes a handler; the window is still shown with what it has.
    try {
        FormCreate();
    } catch (const std::exception& error) {
        zelan::ui::showMessage(QString::fromUtf8(error.what()));
    }
}

Truvo_frm::~Truvo_frm() {
    // The list pictures go before the controls that draw them.
    for (QImage& picture : telawaByPictures)
        picture = QImage();
    for (QImage& picture : soraPictures)
        picture = QImage();
}

void Truvo_frm::FormCreate() {
    applyLanguageLayout(languageCode);
    currTime_lb->setText(clockText());
    Timer1->start();

    // A library that cannot be loaded has shown its message and asked the program to end; the
    // rest of the creation still runs, and the program ends when control returns to the loop.
    pictureLibrary = zelan::ui::loadPictureLibrary(languageCode);
    if (pictureLibrary)
        loadMainPictures();

    pagesPich_tb = zelan::data::createPagesPichTable();
    langs_ara_tb = zelan::data::createLangsAraTable();
    lines_ruvo_tb = zelan::data::createLinesRuvoTable();
    ayaLines_qr = zelan::data::createQuery(QStringLiteral("ayaLines_qr"), zelan::data::sql::ayaLines());
    ayaLines_sr = std::make_unique<zelan::tables::DataSource>(ayaLines_qr.get());
    Translations_tb = zelan::data::createMainTranslationsTable();
    Translations_tb->setMasterSource(ayaLines_sr.get());
    pagesPich_tb->open();
    langs_ara_tb->open();
    Translations_tb->open();
    lines_ruvo_tb->open();

    currentPage = 1;
    setHalf(1);

    QPalette sliderPalette = TrackBar1->palette();
    sliderPalette.setColor(QPalette::Window, QColor(110, 175, 115));
    sliderPalette.setColor(QPalette::Button, QColor(110, 175, 115));
    TrackBar1->setPalette(sliderPalette);
    highlightFactor_lb->setText(QString::number(TrackBar1->value()) + QStringLiteral(" % "));

    // Page 1, half 1: the first row under the table's design filter. A picture that does not
    // decode leaves the page box empty until another half is shown.
    pagesPich_tb->first();
    if (const auto stream = pagesPich_tb->createBlobStream(QStringLiteral("PagePich"))) {
        if (auto picture = zelan::ui::decodeJpeg(stream->readAll()))
            pagePicture = std::move(*picture);
    }

    fillLists();
}

void Truvo_frm::fillLists() {
    // Translation languages, in the order of the table's index.
    langEntries.clear();
    langNames_cb->clear();
    for (langs_ara_tb->first(); !langs_ara_tb->eof(); langs_ara_tb->next()) {
        langEntries.push_back({langs_ara_tb->fieldByName(QStringLiteral("langNum")).asInteger(),
                               langs_ara_tb->fieldByName(QStringLiteral("TelawaBy")).asInteger()});
        langNames_cb->addItem(langs_ara_tb->fieldByName(QStringLiteral("langname")).asString());
    }
    if (!langEntries.empty()) {
        langNames_cb->setCurrentIndex(0);
        reciterNumber = langEntries.front().telawaBy;
    }

    // Reciters and suras, drawn from their pictures.
    telawaBy_cb->clear();
    for (int i = 0; i < 4; ++i) {
        telawaBy_cb->addItem(QString());
        zelan::ui::ImageControl holder;
        zelan::ui::loadPicture(pictureLibrary, &holder, 329 + i);
        telawaByPictures[size_t(i)] = holder.picture();
    }
    sora_cb->clear();
    for (int i = 0; i < 38; ++i) {
        sora_cb->addItem(QString());
        zelan::ui::ImageControl holder;
        zelan::ui::loadPicture(pictureLibrary, &holder, 332 + soraOfEntry(i));
        soraPictures[size_t(i)] = holder.picture();
    }
    sora_cb->setDrawItem([this](QPainter& p, int index, const QRect& rect) {
        p.drawImage(rect.left(), rect.top() + 1, soraPictures[size_t(index)]);
    });
    telawaBy_cb->setDrawItem([this](QPainter& p, int index, const QRect& rect) {
        if (index >= 0 && index < 4)
            p.drawImage(rect.topLeft(), telawaByPictures[size_t(index)]);
    });

    telawaBy_cb->setCurrentIndex(1);
    sora_cb->setCurrentIndex(0);
    reciterNumber = 2;
}

int Truvo_frm::soraOfEntry(int entry) {
    return entry == 0 ? 1 : 77 + entry;
}

void Truvo_frm::FormShow() {
    // The audio player is created here once the recitation is part of the window.
}

void Truvo_frm::close_btClick() {
    close();
}

bool Truvo_frm::FormCloseQuery() {
    return true;
}

void Truvo_frm::FormClose() {
    if (m_closed)
        return;
    m_closed = true;
    Timer1->stop();
    delayAya_tm->stop();
    for (zelan::tables::Table* table : {pagesPich_tb.get(), langs_ara_tb.get(), Translations_tb.get(),
                                        lines_ruvo_tb.get()}) {
        if (table)
            table->close();
    }
}

void Truvo_frm::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    QDialog::closeEvent(event);
}

void Truvo_frm::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the reading window (only its close picture does), and Enter
    // presses no default button.
    QWidget::keyPressEvent(event);
}

void Truvo_frm::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        move(desktop.left() + (desktop.width() - width()) / 2, desktop.top() + (desktop.height() - height()) / 2);
    }
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

bool Truvo_frm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PaintBox1 && event->type() == QEvent::Paint) {
        PaintBox1Paint();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Truvo_frm::PaintBox1Paint() {
    QPainter p(PaintBox1);
    p.fillRect(PaintBox1->rect(), QColor(254, 255, 241));
    p.drawImage(0, 0, pagePicture);
}

// ---- Reading position --------------------------------------------------------------------

void Truvo_frm::setSora(int sora) {
    currentSora = sora;
    {
        const QSignalBlocker quiet(sora_cb);
        sora_cb->setCurrentIndex(sora == 1 ? 0 : sora - 77);
    }
    const int lowest = zelan::data::firstAya(sora);
    const int highest = zelan::data::ayaCount(sora);
    aya_ud->setRange(lowest, highest);
    fromAya_ud->setRange(lowest, highest);
    toAya_ud->setRange(lowest, highest);
    showSoraTitle(sora);
}

void Truvo_frm::setAya(int aya) {
    currentAya = aya;
    if (aya == -1)
        return;
    {
        const QSignalBlocker quiet(aya_ed);
        aya_ud->setPosition(aya);
        aya_ed->setText(QString::number(aya));
        aya_ed->setVisible(aya != 0);
    }
    if (pageTurnInProgress)
        return;
    PaintBox1->update();
}

void Truvo_frm::setHalf(int half) {
    currentHalf = half;
    if (currentSora != 1)
        PaintBox1->update();
}

void Truvo_frm::showSoraTitle(int sora) {
    zelan::ui::loadPicture(pictureLibrary, soraPich_im, 206 + sora);
    zelan::ui::loadPicture(pictureLibrary, partPich_im, sora == 1 ? 207 : 206);
}
