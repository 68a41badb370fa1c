#include "testmain.h"
#include "viewerfixture.h"

#include "errormsg.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "picturelist.h"
#include "ruvo.h"
#include "updown.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <array>
#include <memory>

using namespace viewerfixture;

namespace {

// A player whose mode the test sets; closing it counts and leaves it closed, as a real one.
class FakePlayer : public AyaPlayer {
public:
    int getMode() override { return mode; }
    std::uint32_t close() override {
        ++closes;
        mode = kNotReady;
        return 0;
    }
    void playAya(QObject*, const QString&) override {}
    int mode = kNotReady;
    int closes = 0;
};

using Handler = void (Truvo_frm::*)();

// The sura buttons in the order of the tables below.
constexpr std::array<Handler, 4> kSoraButtons = {&Truvo_frm::firstSora_bt_imClick, &Truvo_frm::prevSora_bt_imClick,
                                                 &Truvo_frm::nextSora_bt_imClick, &Truvo_frm::lastSora_bt_imClick};
enum SoraButton { First, Prev, Next, Last };

int entryOf(int sora) {
    return sora == 1 ? 0 : sora - 77;
}

} // namespace

// The reading position and every way the user moves it: sura buttons, half buttons, the aya
// box and spinner, the page box and the sura list.
class NavigationTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<Folder>();
        m_messages.clear();
        zelan::ui::setMessageHook([this](const QString& text, const QString&, zelan::ui::MessageKind) {
            m_messages << text;
        });
        m_popups = 0;
        zelan::ui::setModalHook([this](QDialog* dialog) {
            if (qobject_cast<TerrorMsg_frm*>(dialog))
                ++m_popups;
            return 0;
        });
        languageCode = zelan::ui::kArabic;
        m_window = std::make_unique<Truvo_frm>(nullptr);
        auto player = std::make_unique<FakePlayer>();
        m_player = player.get();
        m_window->audioPlayer = std::move(player);
    }
    void cleanup() {
        m_window.reset();
        m_folder.reset();
        zelan::ui::setMessageHook({});
        zelan::ui::setModalHook({});
        QCOMPARE(m_messages, QStringList());
    }

    void soraButtons_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("fromSora");
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("aya");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("half");
        // Sura 1 starts on aya 3, the others on their opening formula.
        QTest::addRow("first from 1") << int(First) << 1 << 1 << 1 << 1 << 1;
        QTest::addRow("first from 78") << int(First) << 78 << 1 << 1 << 1 << 1;
        QTest::addRow("first from 113") << int(First) << 113 << 1 << 1 << 1 << 1;
        QTest::addRow("first from 114") << int(First) << 114 << 1 << 1 << 1 << 1;
        QTest::addRow("prev from 1 changes nothing") << int(Prev) << 1 << 1 << 3 << 1 << 1;
        QTest::addRow("prev from 78") << int(Prev) << 78 << 1 << 1 << 1 << 1;
        QTest::addRow("prev from 113") << int(Prev) << 113 << 112 << 0 << 23 << 2;
        QTest::addRow("prev from 114") << int(Prev) << 114 << 113 << 0 << 24 << 1;
        QTest::addRow("next from 1") << int(Next) << 1 << 78 << 0 << 2 << 1;
        QTest::addRow("next from 78") << int(Next) << 78 << 79 << 0 << 3 << 1;
        QTest::addRow("next from 113") << int(Next) << 113 << 114 << 0 << 24 << 2;
        QTest::addRow("next from 114 wraps to 1") << int(Next) << 114 << 1 << 1 << 1 << 1;
        QTest::addRow("last from 1") << int(Last) << 1 << 114 << 0 << 24 << 2;
        QTest::addRow("last from 78") << int(Last) << 78 << 114 << 0 << 24 << 2;
        QTest::addRow("last from 113") << int(Last) << 113 << 114 << 0 << 24 << 2;
        QTest::addRow("last from 114") << int(Last) << 114 << 114 << 0 << 24 << 2;
    }
    void soraButtons() {
        QFETCH(int, button);
        QFETCH(int, fromSora);
        QFETCH(int, sora);
        QFETCH(int, aya);
        QFETCH(int, page);
        QFETCH(int, half);
        Truvo_frm& w = *m_window;
        w.sora_cbChange(entryOf(fromSora));
        if (fromSora == 1)
            w.setAya(3);
        (w.*kSoraButtons[size_t(button)])();
        checkPosition(sora, aya, page, half);
        QCOMPARE(w.sora_cb->currentIndex(), entryOf(sora));
    }

    // Each key does what its button's click does, in the interface's reading direction; keys
    // typed into a number box stay the box's, and Escape leaves the window open.
    void keysActAsTheirButtons_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("button");
        const int ar = zelan::ui::kArabic, ru = zelan::ui::kRussian;
        QTest::addRow("Page Down") << int(Qt::Key_PageDown) << ar << "prevHalf_im";
        QTest::addRow("Page Up") << int(Qt::Key_PageUp) << ru << "nextHalf_im";
        QTest::addRow("left, Arabic") << int(Qt::Key_Left) << ar << "prevHalf_im";
        QTest::addRow("right, Arabic") << int(Qt::Key_Right) << ar << "nextHalf_im";
        QTest::addRow("left, Russian") << int(Qt::Key_Left) << ru << "nextHalf_im";
        QTest::addRow("right, Russian") << int(Qt::Key_Right) << ru << "prevHalf_im";
        QTest::addRow("Home") << int(Qt::Key_Home) << ar << "firstSora_bt_im";
        QTest::addRow("End") << int(Qt::Key_End) << ru << "lastSora_bt_im";
    }
    void keysActAsTheirButtons() {
        QFETCH(int, key);
        QFETCH(int, language);
        QFETCH(QString, button);
        Truvo_frm& w = *m_window;
        languageCode = language;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const auto position = [&w] {
            return QList<int>{w.currentSora, w.currentAya, w.currentPage, w.currentHalf};
        };
        const auto standAt80 = [&] {
            w.sora_cbChange(entryOf(80));
            w.setAya(5);
        };
        standAt80();
        w.findChild<zelan::ui::ImageControl*>(button)->click();
        const QList<int> clicked = position();
        standAt80();
        const QList<int> start = position();
        QVERIFY(clicked != start);
        w.setFocus();
        QTest::keyClick(&w, Qt::Key(key));
        QCOMPARE(position(), clicked);

        // Typed into the aya box, the box's own keys move its caret, not the reading.
        if (key != Qt::Key_PageDown && key != Qt::Key_PageUp) {
            standAt80();
            w.aya_ed->setFocus();
            QTest::keyClick(w.aya_ed, Qt::Key(key));
            QCOMPARE(position(), start);
        }
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        languageCode = zelan::ui::kArabic;
    }

    // The half buttons step from the half of the current aya; the first row of the new half
    // gives sura and aya, and a title line (aya -1) gives the opening formula.
    void halfButtons_data() {
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("fromSora");
        QTest::addColumn<int>("fromAya");
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("aya");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("half");
        QTest::addRow("back at sura 1 changes nothing") << false << 1 << 3 << 1 << 3 << 1 << 1;
        QTest::addRow("forward at page 24 half 2 changes nothing") << true << 114 << 0 << 114 << 0 << 24 << 2;
        QTest::addRow("back from page 2 to sura 1") << false << 78 << 0 << 1 << 1 << 1 << 1;
        QTest::addRow("forward from sura 1 onto a title line") << true << 1 << 3 << 78 << 0 << 2 << 1;
        QTest::addRow("forward within a page") << true << 78 << 0 << 78 << 3 << 2 << 2;
        QTest::addRow("back within a page onto a title line") << false << 78 << 4 << 78 << 0 << 2 << 1;
        QTest::addRow("forward to the next page") << true << 78 << 4 << 78 << 5 << 3 << 1;
        QTest::addRow("back to the page before") << false << 79 << 0 << 78 << 3 << 2 << 2;
    }
    void halfButtons() {
        QFETCH(bool, forward);
        QFETCH(int, fromSora);
        QFETCH(int, fromAya);
        QFETCH(int, sora);
        QFETCH(int, aya);
        QFETCH(int, page);
        QFETCH(int, half);
        Truvo_frm& w = *m_window;
        w.sora_cbChange(entryOf(fromSora));
        w.setAya(fromAya);
        if (forward)
            w.prevHalf_imClick();
        else
            w.nextHalf_imClick();
        checkPosition(sora, aya, page, half);
        QVERIFY(!w.pageTurnInProgress);
    }

    // The aya box reacts to every change of its text: a number above the sura's count becomes
    // the count, one below the spinner's lower limit the limit; bad text shows the error popup
    // and leaves the position alone.
    void ayaBox_data() {
        QTest::addColumn<int>("sora");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("aya");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("popups");
        // Every row starts on aya 2 of its sura.
        QTest::addRow("50 in sura 97") << 97 << "50" << 5 << "5" << 0;
        QTest::addRow("3 in sura 97") << 97 << "3" << 3 << "3" << 0;
        QTest::addRow("0 in sura 97 is the opening") << 97 << "0" << 0 << "0" << 0;
        QTest::addRow("0 in sura 1") << 1 << "0" << 1 << "1" << 0;
        QTest::addRow("emptied") << 97 << "" << 2 << "" << 1;
        QTest::addRow("letter") << 97 << "x" << 2 << "x" << 1;
        QTest::addRow("beyond 32 bits") << 97 << "4294967297" << 2 << "4294967297" << 1;
    }
    void ayaBox() {
        QFETCH(int, sora);
        QFETCH(QString, text);
        QFETCH(int, aya);
        QFETCH(QString, shown);
        QFETCH(int, popups);
        Truvo_frm& w = *m_window;
        w.sora_cbChange(entryOf(sora));
        w.setAya(2);
        w.aya_ed->setText(text);
        QCOMPARE(w.currentSora, sora);
        QCOMPARE(w.currentAya, aya);
        QCOMPARE(w.aya_ed->text(), shown);
        QCOMPARE(w.aya_ed->isHidden(), aya == 0);
        QCOMPARE(m_popups, popups);
        if (popups == 0)
            QCOMPARE(w.aya_ud->position(), aya);
    }

    // Clicking the spinner moves the aya; its bottom position does not select the opening.
    void ayaSpinner() {
        Truvo_frm& w = *m_window;
        w.show();
        w.sora_cbChange(entryOf(80));
        const QSize size = w.aya_ud->size();
        const QPoint up(size.width() / 2, size.height() / 4);
        const QPoint down(size.width() / 2, size.height() * 3 / 4);
        QTest::mouseClick(w.aya_ud, Qt::LeftButton, {}, up);
        QCOMPARE(w.currentAya, 1);
        QCOMPARE(w.aya_ed->text(), QStringLiteral("1"));
        QVERIFY(!w.aya_ed->isHidden());
        QTest::mouseClick(w.aya_ud, Qt::LeftButton, {}, up);
        QCOMPARE(w.currentAya, 2);
        QTest::mouseClick(w.aya_ud, Qt::LeftButton, {}, down);
        QCOMPARE(w.currentAya, 1);
        QTest::mouseClick(w.aya_ud, Qt::LeftButton, {}, down);
        QCOMPARE(w.aya_ud->position(), 0);
        QCOMPARE(w.currentAya, 1);
        QCOMPARE(w.aya_ed->text(), QStringLiteral("1"));
        QVERIFY(!w.aya_ed->isHidden());
        QCOMPARE(m_popups, 0);
    }

    // Every keystroke in the page box acts at once; a page from 1 to 24 shows its half 1 with
    // the first aya on it, other numbers do nothing, and text that is no number shows the
    // error popup. Each row starts on sura 79, page 3, and types over the selected text.
    void pageBoxTyping_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QList<int>>("pages"); // the page on show after each key
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("aya");
        QTest::addColumn<int>("popups");
        QTest::addRow("2 then 4") << "24" << QList<int>{2, 24} << 113 << 0 << 0;
        QTest::addRow("2 then 5") << "25" << QList<int>{2, 2} << 78 << 0 << 0;
        QTest::addRow("1") << "1" << QList<int>{1} << 1 << 1 << 0;
        QTest::addRow("0") << "0" << QList<int>{3} << 79 << 0 << 0;
        QTest::addRow("negative") << "-3" << QList<int>{3, 3} << 79 << 0 << 1;
        QTest::addRow("emptied") << "\b" << QList<int>{3} << 79 << 0 << 1;
        QTest::addRow("letter") << "x" << QList<int>{3} << 79 << 0 << 1;
        QTest::addRow("six characters") << "000002" << QList<int>{3, 3, 3, 3, 3, 3} << 79 << 0 << 0;
    }
    void pageBoxTyping() {
        QFETCH(QString, keys);
        QFETCH(QList<int>, pages);
        QFETCH(int, sora);
        QFETCH(int, aya);
        QFETCH(int, popups);
        Truvo_frm& w = *m_window;
        showWithPageBoxFocused();
        w.sora_cbChange(entryOf(79));
        QTest::keyClick(w.pageNum_ed, Qt::Key_A, Qt::ControlModifier);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QTest::keyClicks(w.pageNum_ed, keys.mid(i, 1));
            QCOMPARE(w.currentPage, pages.at(i));
            QCOMPARE(w.currentHalf, 1);
            QCOMPARE(pageOf(w.pagePicture), std::make_pair(pages.at(i), 1));
        }
        QCOMPARE(w.currentSora, sora);
        QCOMPARE(w.currentAya, aya);
        QCOMPARE(m_popups, popups);
        // The box keeps what the user typed.
        QCOMPARE(w.pageNum_ed->text(), keys == QStringLiteral("\b") ? QString() : keys);
    }

    // A number the program writes into the page box does not move the position, even after
    // the user has typed into it.
    void pageBoxIgnoresProgramText() {
        Truvo_frm& w = *m_window;
        showWithPageBoxFocused();
        QTest::keyClick(w.pageNum_ed, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.pageNum_ed, QStringLiteral("2"));
        QCOMPARE(w.currentSora, 78);
        w.currentPage = 4;
        w.showPageNumbers();
        QCOMPARE(w.pageNum_ed->text(), QStringLiteral("4"));
        QCOMPARE(w.currentSora, 78);
        QCOMPARE(pageOf(w.pagePicture), std::make_pair(2, 1));
    }

    // After a jump the page box hides its caret; a click on it or its focus shows it again.
    void pageBoxCaret_data() {
        QTest::addColumn<bool>("click");
        QTest::addRow("click") << true;
        QTest::addRow("focus") << false;
    }
    void pageBoxCaret() {
        QFETCH(bool, click);
        Truvo_frm& w = *m_window;
        showWithPageBoxFocused();
        QVERIFY(w.pageNumCaretShown());
        QTest::keyClick(w.pageNum_ed, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.pageNum_ed, QStringLiteral("3"));
        QCOMPARE(w.currentPage, 3);
        QVERIFY(!w.pageNumCaretShown());
        QVERIFY(w.pageNum_ed->hasFocus()); // the user goes on typing into it
        if (click) {
            QTest::mouseClick(w.pageNum_ed, Qt::LeftButton);
        } else {
            w.aya_ed->setFocus();
            QVERIFY(!w.pageNum_ed->hasFocus());
            w.pageNum_ed->setFocus();
        }
        QVERIFY(w.pageNumCaretShown());
    }

    // Choosing a sura in the list: its first aya (the opening formula but in sura 1), the
    // spinners' limits from the aya count, and the sura's page half.
    void soraList_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("aya");
        QTest::addColumn<int>("highest");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("half");
        QTest::addRow("sura 80") << 3 << 80 << 0 << 42 << 4 << 1;
        QTest::addRow("sura 1") << 0 << 1 << 1 << 7 << 1 << 1;
        QTest::addRow("sura 114") << 37 << 114 << 0 << 6 << 24 << 2;
    }
    void soraList() {
        QFETCH(int, entry);
        QFETCH(int, sora);
        QFETCH(int, aya);
        QFETCH(int, highest);
        QFETCH(int, page);
        QFETCH(int, half);
        Truvo_frm& w = *m_window;
        w.sora_cbChange(entryOf(97)); // limits 0..5, and a page other than every row's
        w.setAya(3);
        w.sora_cbChange(entry);
        checkPosition(sora, aya, page, half);
        QCOMPARE(w.aya_ed->isHidden(), aya == 0);
        QCOMPARE(w.aya_ed->text(), QString::number(aya));
        for (const zelan::ui::UpDown* spinner : {w.aya_ud, w.fromAya_ud, w.toAya_ud}) {
            QCOMPARE(spinner->minimum(), aya);
            QCOMPARE(spinner->maximum(), highest);
        }
        QCOMPARE(w.aya_ud->position(), aya);
    }

    // An aya typed into the box that lies on the same half number of another page turns to
    // that page; one on the other half of the same page turns the half. Sura 78 ends on page 3
    // half 1, its ayas 1 and 4 lie on page 2 halves 1 and 2.
    void ayaBoxTurnsToTheAyasPage_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("half");
        QTest::addRow("same half number, page before") << "1" << 2 << 1;
        QTest::addRow("other half") << "4" << 2 << 2;
    }
    void ayaBoxTurnsToTheAyasPage() {
        QFETCH(QString, text);
        QFETCH(int, page);
        QFETCH(int, half);
        Truvo_frm& w = *m_window;
        w.sora_cbChange(entryOf(78));
        w.prevHalf_imClick();
        w.prevHalf_imClick();
        checkPosition(78, 5, 3, 1);
        if (QTest::currentTestFailed())
            return;
        w.aya_ed->setText(text);
        checkPosition(78, text.toInt(), page, half);
    }

    // Navigation closes a playing or paused recitation (a paused aya left open would come back
    // at the next play); the half buttons also close a sound that is open but not playing.
    void stopsPlayingRecitation_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("closes");
        for (const char* action : {"sura button", "page box", "half button"}) {
            QTest::addRow("%s, playing", action) << action << AyaPlayer::kPlaying << 1;
            QTest::addRow("%s, paused", action) << action << AyaPlayer::kPaused << 1;
        }
        QTest::addRow("sura button, open") << "sura button" << AyaPlayer::kOpen << 0;
        QTest::addRow("half button, open") << "half button" << AyaPlayer::kOpen << 1;
        // At the first sura the back button does nothing at all, the recitation included.
        QTest::addRow("back at sura 1, playing") << "back at sura 1" << AyaPlayer::kPlaying << 0;
    }
    void stopsPlayingRecitation() {
        QFETCH(QString, action);
        QFETCH(int, mode);
        QFETCH(int, closes);
        Truvo_frm& w = *m_window;
        showWithPageBoxFocused();
        w.sora_cbChange(entryOf(79));
        QTest::keyClick(w.pageNum_ed, Qt::Key_A, Qt::ControlModifier);
        m_player->mode = mode;
        if (action == QStringLiteral("sura button")) {
            w.nextSora_bt_imClick();
            QCOMPARE(w.currentSora, 80);
        } else if (action == QStringLiteral("back at sura 1")) {
            m_player->mode = AyaPlayer::kNotReady;
            w.firstSora_bt_imClick();
            m_player->mode = mode;
            m_player->closes = 0;
            w.prevSora_bt_imClick();
            QCOMPARE(w.currentSora, 1);
        } else if (action == QStringLiteral("page box")) {
            QTest::keyClicks(w.pageNum_ed, QStringLiteral("2"));
            QCOMPARE(w.currentPage, 2);
        } else {
            w.nextHalf_imClick();
            QCOMPARE(w.currentSora, 78);
        }
        QCOMPARE(m_player->closes, closes);
    }

private:
    void checkPosition(int sora, int aya, int page, int half) {
        const Truvo_frm& w = *m_window;
        QCOMPARE(w.currentSora, sora);
        QCOMPARE(w.currentAya, aya);
        QCOMPARE(w.currentPage, page);
        QCOMPARE(w.currentHalf, half);
        QCOMPARE(pageOf(w.pagePicture), std::make_pair(page, half));
        QCOMPARE(w.pageNum_ed->text(), QString::number(page));
    }

    void showWithPageBoxFocused() {
        Truvo_frm& w = *m_window;
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.pageNum_ed->setFocus();
        QVERIFY(w.pageNum_ed->hasFocus());
    }

    std::unique_ptr<Folder> m_folder;
    std::unique_ptr<Truvo_frm> m_window;
    FakePlayer* m_player = nullptr;
    QStringList m_messages;
    int m_popups = 0;
};

ZELAN_TEST_CLASS(NavigationTest)

#include "tst_navigation.moc"
