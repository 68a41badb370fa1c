#pragma once

#include "ayaplayer.h"
#include "picturelibrary.h"

#include <QDialog>
#include <QImage>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class QSlider;
class QTimer;
class QTime;
class QPainter;
class PictureList;
class TaudioPlayer;

namespace zelan::tables {
class DataSource;
class Query;
class Table;
} // namespace zelan::tables

namespace zelan::ui {
class ImageButton;
class ImageControl;
class UpDown;
} // namespace zelan::ui

// An entry of the translation language list: the language's number and the reciter number
// that goes with it.
struct TLang_telawa {
    qint32 langNum = 0;
    qint32 telawaBy = 0;
};

// The main reading window: the page box with the marked aya, the reading position and its
// navigation, the recitation controls, the translation box and the buttons that open the
// other windows. One window exists at a time; the start window creates it for the chosen
// language, shows it modally and destroys it when it closes.
//
// The class is split by subsystem: this header declares it in sections, and each section's
// member functions live in the files named there.
class Truvo_frm : public QDialog {
    Q_OBJECT

public:
    // Builds the window from its design and sets the reading position to sura 1, aya 1 (the
    // library of this run is not loaded yet), then creates it for `languageCode`.
    explicit Truvo_frm(QWidget* owner);
    ~Truvo_frm() override;

    // ---- Creation, showing and closing (ruvo.cpp) -------------------------------------------
    void FormCreate();
    void FormShow();
    void close_btClick();
    bool FormCloseQuery();
    void FormClose();

    // ---- Pictures and buttons (ruvopictures.cpp) --------------------------------------------
    void loadMainPictures();
    void hideHoverCaptions();
    // The picture sets of the four player buttons, set together by the recitation.
    void showIdlePictures();
    void showPausedPictures();
    void showRecitingPictures();
    void showTranslationPictures();
    // The image button behaviour of a control, or null for controls that have none.
    zelan::ui::ImageButton* buttonOf(const zelan::ui::ImageControl* control) const;
    // The play mode of the audio player (0 while there is none).
    int playerMode() const;

    // ---- Reading position and navigation (ruvoposition.cpp) -------------------------------
    int getSora() const { return currentSora; }
    int getAya() const { return currentAya; }
    int getHalf() const { return currentHalf; }
    void setSora(int sora);
    void setAya(int aya);
    void setHalf(int half);
    void showAyaPage();
    void goToPage(int page);
    void showAyaNumber(int aya);
    void loadHalfPicture();
    // Decodes the picture of a page half ahead of a turn and draws the box for it with the
    // current aya marked, so the turn itself only shows it.
    void prepareHalf(int page, int half);
    void showPageNumbers();
    // Checks that `text` is a 32-bit integer; otherwise shows the error popup and says no.
    bool isValidInteger(const QString& text);
    // Ends the recitation before the user moves the reading position: closes the audio player
    // when it is playing or paused (so the next play starts the new position's aya), and ends
    // a range pause.
    void stopPlayingRecitation();
    // Ends a recitation that is held without sounding, paused or in a range pause, and leaves
    // one that plays alone: for moves of the position that do not end a playing recitation.
    void closeHeldRecitation();

    void sora_cbChange(int entry);
    void aya_udClick();
    void aya_edChange();
    void firstSora_bt_imClick();
    void prevSora_bt_imClick();
    void nextSora_bt_imClick();
    void lastSora_bt_imClick();
    void nextHalf_imClick();
    void prevHalf_imClick();
    void pageNum_edChange();
    void pageNum_edEnter();
    void pageNum_edClick();
    // Whether the page box shows its text caret.
    bool pageNumCaretShown() const;

    qint32 currentSora = 0;
    qint32 currentAya = 0;
    qint32 currentHalf = 0;
    qint32 currentPage = 0;
    bool pageTurnInProgress = false;
    qint32 reciterNumber = 0;
    // The decoded picture of the page half on show.
    QImage pagePicture;

    // ---- Page box and aya mark (ruvopage.cpp) ----------------------------------------------
    // Repaints the page box: its ground, the page half on show and the mark of the current aya.
    void PaintBox1Paint();
    void highlightAya(int sora, int aya, int factor);
    // The band of one line row: left x1aya, right x2aya, from the bottom of the nearest line
    // above it of the same sura on the half down to its own bottom, all four inclusive.
    QRect ayaLineRect(int x1aya, int x2aya, int page, int half, int sora, int ylinefromtop);
    void tintRect(const QRect& rect, int factor);
    void TrackBar1Change();
    void color_bt_imClick();
    void PaintBox1MouseDown(Qt::MouseButton button, int x, int y);
    // What the page box shows.
    const QImage& pageBoxCanvas() const { return m_canvas; }

    // The mark colour, 0x00BBGGRR.
    quint32 highlightColor = 0x000000FF;

    // ---- Header, clock and picture lists (ruvoheader.cpp) ----------------------------------
    void Timer1Timer();
    // The clock's text for a time: "hh:mm", 24 hours.
    static QString clockText(const QTime& time);
    void showSoraTitle(int sora);
    void telawaBy_cbChange(int entry);
    // Draw only the entry's picture: the sura's name one pixel below the top, the reciter's at
    // the top-left corner.
    void sora_cbDrawItem(QPainter& painter, int index, const QRect& rect) const;
    void telawaBy_cbDrawItem(QPainter& painter, int index, const QRect& rect) const;

    // ---- Translation (translation/ruvotranslation.cpp) -------------------------------------
    void Translations_tbAfterScroll();
    void langNames_cbChange(int item);

    // ---- Recitation (recitation/ruvorecitation.cpp) -----------------------------------------
    // The recording of an aya of the current sura by the current reciter.
    QString ayaSoundFile(int sora, int aya) const;
    // The recorded translation of the aya the translation table stands on, or empty text (after
    // telling the user which file is missing) when there is no such file.
    QString translationSoundFile(int sora);
    // The same without telling: the path, and in `*exists` whether it names a file.
    QString translationSoundPath(int sora, bool* exists);
    // The recording that the end of the sound now playing will start, as the handler of its
    // notice (`receiver`) would choose it with the mode controls as they stand now; empty
    // when that end starts nothing, or a range pause or something else first.
    QString followingSoundFile(const QObject* receiver);
    // The recording the next step of the range repetition starts (empty when it ends it).
    QString rangeStepSoundFile() const;
    // Moves to the following aya; at the end of sura 114 closes the player and says no.
    bool nextAya();
    // Starts the current aya as a step of the range repetition.
    void playRangeAya();
    // Starts a translation with the receiver of the chosen mode.
    void playCurrentTranslation(const QString& path);
    // The audio player, or null while there is none (before the first show, or a stand-in).
    TaudioPlayer* recitationPlayer() const;
    // Sets the pictures of the four player buttons at once.
    void showPlayerPictures(int pause, int play, int translation, int repeat);

    void playAya_bt_imClick();
    void pause_bt_imClick();
    void stop_bt_imClick();
    void playTargamaSoun_btClick();
    void repeatAya_bt_imClick();

    // What follows the end of a sound, by the receiver it was started with. Each acts only on
    // a completion notice that counts (the play ran to its end) and passes every event on.
    void formWndProc(QEvent* event);
    void pageNumWndProc(QEvent* event);
    void ayaRepeatWndProc(QEvent* event);
    void targamaRepeatWndProc(QEvent* event);
    // Whether `event` is a completion notice of a play that ran to its end, with the player
    // still reading playing at the full length.
    bool countingNotice(QEvent* event);
    // The next step of a range repetition after an aya (variant A, without translation) or
    // after its translation (variant B).
    void rangeStep(bool afterAya);
    // The pause after an aya of a range: until the clock's second `repeatPause` - 1 after the
    // one it is in. It waits on rangePause_tm, so the window paints and takes clicks meanwhile;
    // without a pause the range goes on at once.
    void rangePause();
    // What follows a range aya once its pause is over: its translation, or the range step.
    void continueRangeAfterAya();
    void rangePause_tmTimer();
    // Ends a range pause that is under way; what would have followed it does not come.
    void cancelRangePause();

    // The range of the last range start.
    qint32 rangeFrom = 0;
    qint32 rangeTo = 0;

    // ---- Repetition settings (recitation/ruvorange.cpp) -------------------------------------
    void continueAya_rbClick();
    void continuePlay_rbClick();
    void fromAya_edChange();
    void toAya_edChange();
    void NoOfAyaRepeat_edChange();
    void times_edChange();
    void delay_edChange();
    void fromAya_udClick();
    void toAya_udClick();
    void NoOfAyaRepeat_udClick();
    void times_udClick();
    void delay_udClick();
    // Reads the five settings into the range state for a range start; false (after the error
    // popup) when one is not an integer or a count or the pause is 0.
    bool readRangeSettings();
    // In range mode, before a single aya plays: checks the pass count and the pause.
    void readRepeatSettings();
    void lockRangeSettings();
    void unlockRangeSettings();

    // ---- Page following during recitation (recitation/ruvopagefollow.cpp) ------------------
    // The share of the current aya's recording after which the half turns: timedelay /
    // totalAyaTime for a running-over aya, 0 to turn after it, -1 for no turn.
    float getHalfTurnFraction();
    // Step 1 turns to the following half after an aya; step 0 shows the aya's first half.
    void turnHalf(int step);
    // Turns to the following half while an aya plays.
    void advanceHalf();
    // Before a running-over aya plays from its second half, steps the display back one half.
    void showAyaStartHalf();
    void delayAya_tmTimer();
    std::unique_ptr<AyaPlayer> audioPlayer;

    // ---- The other windows, opened from the header buttons ---------------------------------
    // Each is owned by this window, shown modally and destroyed when it closes.
    void printTargama_imClick(); // translation/ruvoprint.cpp
    void zelanIndex_imClick();   // index/ruvoindex.cpp
    void help_imClick();         // windows/ruvohelp.cpp
    void group_bt_imClick();     // windows/ruvohelp.cpp

    // ---- Controls, named as in the window's design (ruvolayout.cpp) -----------------------
    zelan::ui::ImageControl* main_services_im;
    QLabel* currTime_lb;
    QTimer* Timer1;        // clock, 3000 ms
    QTimer* delayAya_tm;   // half turn while an aya plays, 1 ms
    QTimer* rangePause_tm; // the pause after a range aya, single shot
    zelan::ui::ImageControl* soraPich_im;
    zelan::ui::ImageControl* partPich_im;
    zelan::ui::ImageControl* color_control_im;
    zelan::ui::ImageControl* dumy_im;
    zelan::ui::ImageControl* telawa_control_im;
    zelan::ui::ImageControl* targama_control_im;
    QWidget* PaintBox1;
    QSlider* TrackBar1;
    QLabel* highlightFactor_lb;

    PictureList* sora_cb;
    PictureList* telawaBy_cb;
    QFrame* Panel2;
    QLineEdit* aya_ed;
    zelan::ui::UpDown* aya_ud;
    QLineEdit* pageNum_ed;
    QLabel* pageNum_lb;

    // Image buttons.
    zelan::ui::ImageControl* firstSora_bt_im;
    zelan::ui::ImageControl* prevSora_bt_im;
    zelan::ui::ImageControl* stop_bt_im;
    zelan::ui::ImageControl* playAya_bt_im;
    zelan::ui::ImageControl* pause_bt_im;
    zelan::ui::ImageControl* nextSora_bt_im;
    zelan::ui::ImageControl* lastSora_bt_im;
    zelan::ui::ImageControl* zelanIndex_im;
    zelan::ui::ImageControl* printTargama_im;
    zelan::ui::ImageControl* help_im;
    zelan::ui::ImageControl* color_bt_im;
    zelan::ui::ImageControl* nextHalf_im;
    zelan::ui::ImageControl* prevHalf_im;
    zelan::ui::ImageControl* close_bt;
    zelan::ui::ImageControl* repeatAya_bt_im;
    zelan::ui::ImageControl* playTargamaSoun_bt;
    zelan::ui::ImageControl* group_bt_im;
    zelan::ui::ImageControl* currentPage_bt_im;

    // Hover captions, Arabic and Russian, designed into the window and hidden at start.
    zelan::ui::ImageControl* firstSora_im;
    zelan::ui::ImageControl* firstSora_rus_im;
    zelan::ui::ImageControl* prevSora_im;
    zelan::ui::ImageControl* prevSora_rus_im;
    zelan::ui::ImageControl* stop_im;
    zelan::ui::ImageControl* stop_rus_im;
    zelan::ui::ImageControl* playAya_im;
    zelan::ui::ImageControl* playAya_rus_im;
    zelan::ui::ImageControl* pause_im;
    zelan::ui::ImageControl* pause_rus_im;
    zelan::ui::ImageControl* nextSora_im;
    zelan::ui::ImageControl* nextSora_rus_im;
    zelan::ui::ImageControl* lastSora_im;
    zelan::ui::ImageControl* lastSora_rus_im;
    zelan::ui::ImageControl* prevHalf_ara_im;
    zelan::ui::ImageControl* prevHalf_rus_im;
    zelan::ui::ImageControl* nextHalf_ara_im;
    zelan::ui::ImageControl* nextHalf_rus_im;
    zelan::ui::ImageControl* repeatAya_ara_im;
    zelan::ui::ImageControl* repeatAya_rus_im;
    zelan::ui::ImageControl* playTargama_ara_im;
    zelan::ui::ImageControl* playTargama_rus_im;
    zelan::ui::ImageControl* currentPage_ara_im;
    zelan::ui::ImageControl* currentPage_rus_im;

    // Recitation modes and the range settings.
    QCheckBox* ayaAndTargamaSound_rb;
    QRadioButton* continuePlay_rb;
    QRadioButton* ayaAya_rb;
    QRadioButton* continueAya_rb;
    QFrame* fromAya_pn;
    QLineEdit* fromAya_ed;
    zelan::ui::UpDown* fromAya_ud;
    QFrame* toAya_pn;
    QLineEdit* toAya_ed;
    zelan::ui::UpDown* toAya_ud;
    QFrame* NoOfAyaRepeat_pn;
    QLineEdit* NoOfAyaRepeat_ed;
    zelan::ui::UpDown* NoOfAyaRepeat_ud;
    QFrame* times_pn;
    QLineEdit* times_ed;
    zelan::ui::UpDown* times_ud;
    QFrame* delay_pn;
    QLineEdit* delay_ed;
    zelan::ui::UpDown* delay_ud;
    // Receivers of the range completions; never shown.
    QLineEdit* ayaRepeatFinished_ed;
    QLineEdit* targamaRepeatFinished_ed;

    // Translation box and the (hidden) language list.
    QScrollArea* ScrollBox1;
    zelan::ui::ImageControl* Image2;
    QComboBox* langNames_cb;

    // ---- Data components (ruvo.cpp) -----------------------------------------------------
    std::unique_ptr<zelan::tables::Table> pagesPich_tb;
    std::unique_ptr<zelan::tables::Table> lines_ruvo_tb;
    std::unique_ptr<zelan::tables::Table> Translations_tb;
    std::unique_ptr<zelan::tables::Table> langs_ara_tb;
    std::unique_ptr<zelan::tables::Query> ayaLines_qr;
    std::unique_ptr<zelan::tables::DataSource> ayaLines_sr;
    std::unique_ptr<zelan::tables::Query> lineHeight_qr;
    std::unique_ptr<zelan::tables::Query> keraat_qr;
    std::unique_ptr<zelan::tables::Query> LastAya_qr;
    std::unique_ptr<zelan::tables::Query> page_half_qr;
    std::unique_ptr<zelan::tables::Query> halfNum_qr;
    std::unique_ptr<zelan::tables::Query> sora_aya_qr;
    std::unique_ptr<zelan::tables::Query> page_half_ex_qr;
    std::unique_ptr<zelan::tables::Query> page_half_ex2_qr;
    std::unique_ptr<zelan::tables::Query> pageNum2_qr;

    // Objects behind the picture lists: the sura names in list order and the reciters.
    std::array<QImage, 38> soraPictures;
    std::array<QImage, 4> telawaByPictures;
    // The language list's entries, in list order.
    std::vector<TLang_telawa> langEntries;

    // The window's design positions and the language's changes to them (ruvolayout.cpp).
    void buildDesign();
    void applyLanguageLayout(int languageCode);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createButtons();
    // Keys for the player, half and sura buttons (space, Escape, Page Up/Down, the arrows,
    // Home, End).
    void createKeys();
    // The buttons' names for screen readers, from the picture library of the interface.
    void nameButtons();
    void createDataComponents();
    void connectHandlers();
    void fillLists();
    // The sura of each entry of the sura list.
    static int soraOfEntry(int entry);
    // Runs `query` with integer parameters given as (name, value) pairs.
    static void runQuery(zelan::tables::Query& query, std::initializer_list<std::pair<const char*, int>> params);
    // Shows the page and half of the first row of `query` run for the current aya (the aya's
    // first half, or its higher half on its lowest page).
    void standOnAyaHalf(zelan::tables::Query& query);
    // Makes the first aya of the half on show current.
    void standOnFirstAyaOfHalf();
    // One half toward the start of the portion; from page 2 to sura 1's page 1.
    void stepOneHalfBack();
    // The steps of a half step shared by both half buttons, from the aya's half `query`.
    void stepHalf(zelan::tables::Query& query, bool forward);
    // The last steps of every turn that follows the recitation: picture, repaint, numbers.
    void showNewHalf();
    // The decoded picture of a page half (null when it has none or it does not decode); the
    // pagesPich_tb filter is left on that half.
    QImage halfPicture(int page, int half);
    // Draws the canvas into the page box when the system asks it to paint.
    void pageBoxPaintEvent();
    // Marks the canvas as what the box must show and asks the box to show it.
    void showCanvas();
    // The box's ground with `picture` on it, into `canvas`.
    void drawPage(QImage& canvas, const QImage& picture);
    // Recolours the ink of an aya's bands on `canvas` for the half `page`/`half`; false when it
    // has none to mark (no sura, a title line, sura 1's aya 0).
    bool markAya(QImage& canvas, int sora, int aya, int page, int half, int factor);
    void tintRect(QImage& canvas, const QRect& rect, int factor);
    // Draws the box as it will stand once the half `page`/`half` (whose picture is `picture`)
    // shows with the current aya marked, for a turn in the middle of the aya.
    void prepareCanvas(const QImage& picture, int page, int half);

    std::vector<zelan::ui::ImageButton*> m_buttons;
    std::vector<zelan::ui::ImageControl*> m_captions;
    bool m_closed = false;
    bool m_shown = false;
    // The page box's picture: every repaint and mark draws here, then the box shows it.
    QImage m_canvas;
    // The canvas holds what the box must show; a paint request then only shows it.
    bool m_canvasFresh = false;
    // A paint of the box is drawing the canvas anew.
    bool m_inPageBoxPaint = false;
    // The box drawn ahead for the half a turn will show, and what it was drawn for.
    struct PreparedCanvas {
        qint64 picture = 0;
        int sora = 0, aya = 0, page = 0, half = 0, factor = 0;
        quint32 colour = 0;
        QImage canvas;
        bool sameAs(const PreparedCanvas& other) const {
            return picture == other.picture && sora == other.sora && aya == other.aya && page == other.page &&
                   half == other.half && factor == other.factor && colour == other.colour;
        }
    } m_prepared;
    // What a box drawn now for the half `page`/`half` with `picture` would be drawn for.
    PreparedCanvas canvasKey(const QImage& picture, int page, int half) const;
    // The page halves decoded last, oldest first.
    std::deque<std::pair<std::pair<int, int>, QImage>> m_decodedHalves;
    // The last error of a paint that the system asked for, reported once after that paint.
    QString m_paintError;
    class CaretStyle* m_caretStyle = nullptr;
    // The translation record whose picture Image2 shows (sura, aya, language).
    std::array<int, 3> m_shownTranslation{-1, -1, -1};
};

// The main reading window while it exists; null otherwise.
extern Truvo_frm* ruvo_frm;

// The range repetition's counters, set at a range start: plays of each aya, plays of the
// current aya still due and passes still due (each counting the one in progress), and the
// pause after each aya in seconds.
extern qint32 ayaRepeatCount;
extern qint32 ayaRepeatsLeft;
extern qint32 rangePassesLeft;
extern qint32 repeatPause;

namespace zelan::recitation {
// How long the pause after a range aya lasts, in milliseconds, when it starts `msIntoSecond`
// into a second of the clock: until the start of the clock's second `seconds` - 1 after the
// current one, so between `seconds` - 2 and `seconds` - 1 seconds; none for 1 or less.
int rangePauseMs(int seconds, int msIntoSecond);
} // namespace zelan::recitation
