// The main window's life: construction, creation for the interface language, showing and
// closing; and the reading-position steps that creation needs.

#include "ruvo.h"

#include "audioplayer.h"
#include "ayacount.h"
#include "components.h"
#include "designresources.h"
#include "reciters.h"
#include "imagebutton.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "picturedecoding.h"
#include "picturelist.h"
#include "platform/media/mediadevice.h"
#include "updown.h"

#include <QCloseEvent>
#include <QDir>
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

Truvo_frm::Truvo_frm(QWidget* owner) : QDialog(owner) {
    zelan::design::initDesignResources();
    buildDesign();
    createDataComponents();
    // A failure of the table engine while the window is made (a table or the alias folder
    // that cannot be opened) is shown like any error that escapes a handler; the window is
    // still shown with what it has.
    const auto guarded = [](const auto& step) {
        try {
            step();
        } catch (const std::exception& error) {
            zelan::ui::showMessage(QString::fromUtf8(error.what()));
        }
    };
    guarded([this] {
        setSora(1);
        setAya(1);
    });
    pageTurnInProgress = false;
    connectHandlers();
    createKeys();
    guarded([this] { FormCreate(); });
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
    Timer1Timer();
    Timer1->start();

    // A library that cannot be loaded has shown its message and asked the program to end; the
    // rest of the creation still runs, and the program ends when control returns to the loop.
    pictureLibrary = zelan::ui::loadPictureLibrary(languageCode);
    if (pictureLibrary)
        loadMainPictures();

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
    // The box was drawn before its tables and picture were there: its first paint draws anew.
    m_canvasFresh = false;
}

void Truvo_frm::createDataComponents() {
    using namespace zelan::data;
    pagesPich_tb = createPagesPichTable();
    langs_ara_tb = createLangsAraTable();
    lines_ruvo_tb = createLinesRuvoTable();
    ayaLines_qr = createQuery(QStringLiteral("ayaLines_qr"), sql::ayaLines());
    ayaLines_sr = std::make_unique<zelan::tables::DataSource>(ayaLines_qr.get());
    Translations_tb = createMainTranslationsTable();
    Translations_tb->setMasterSource(ayaLines_sr.get());
    Translations_tb->setAfterScroll([this] { Translations_tbAfterScroll(); });
    lineHeight_qr = createQuery(QStringLiteral("lineHeight_qr"), sql::lineHeight());
    keraat_qr = createQuery(QStringLiteral("keraat_qr"), sql::keraat());
    LastAya_qr = createQuery(QStringLiteral("LastAya_qr"), sql::lastAya());
    page_half_qr = createQuery(QStringLiteral("page_half_qr"), sql::pageHalf());
    halfNum_qr = createQuery(QStringLiteral("halfNum_qr"), sql::halfNum());
    sora_aya_qr = createQuery(QStringLiteral("sora_aya_qr"), sql::soraAya());
    page_half_ex_qr = createQuery(QStringLiteral("page_half_ex_qr"), sql::pageHalfEx());
    page_half_ex2_qr = createQuery(QStringLiteral("page_half_ex2_qr"), sql::pageHalfEx2());
    pageNum2_qr = createQuery(QStringLiteral("pageNum2_qr"), sql::pageNum2());
}

void Truvo_frm::runQuery(zelan::tables::Query& query, std::initializer_list<std::pair<const char*, int>> params) {
    query.close();
    for (const auto& [name, value] : params)
        query.setParam(QString::fromLatin1(name), value);
    query.open();
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
        // A slot that holds an imported reciter shows the reciter's name instead.
        const QImage imported = zelan::recitation::importedReciterEntry(i + 1, languageCode == zelan::ui::kRussian);
        telawaByPictures[size_t(i)] = imported.isNull() ? holder.picture() : imported;
    }
    sora_cb->clear();
    for (int i = 0; i < 38; ++i) {
        sora_cb->addItem(QString());
        zelan::ui::ImageControl holder;
        zelan::ui::loadPicture(pictureLibrary, &holder, 332 + soraOfEntry(i));
        soraPictures[size_t(i)] = holder.picture();
    }
    telawaBy_cb->setCurrentIndex(1);
    sora_cb->setCurrentIndex(0);
    reciterNumber = 2;
}

int Truvo_frm::soraOfEntry(int entry) {
    return entry == 0 ? 1 : 77 + entry;
}

void Truvo_frm::FormShow() {
    if (audioPlayer)
        return;
    // The player starts with the first aya of sura 1 by the first reciter open and stopped.
    auto player = std::make_unique<TaudioPlayer>(zelan::media::systemDevice());
    TaudioPlayer& opened = *player;
    audioPlayer = std::move(player);
    const QString first = QDir::currentPath() + QStringLiteral("/Translations/Sound_aya/sora1/Tivlo/Zorvik/a1.mp3");
    if (const std::uint32_t result = opened.openFile(first))
        opened.reportError(result);
}

void Truvo_frm::close_btClick() {
    if (audioPlayer && audioPlayer->getMode() == AyaPlayer::kPlaying)
        audioPlayer->close();
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
    cancelRangePause();
    for (zelan::tables::Table* table : {pagesPich_tb.get(), langs_ara_tb.get(), Translations_tb.get(),
                                        lines_ruvo_tb.get()}) {
        if (table)
            table->close();
    }
    if (audioPlayer) {
        audioPlayer->close();
        audioPlayer.reset();
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

