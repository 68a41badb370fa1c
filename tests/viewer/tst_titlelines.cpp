#include "programfolder.h"
#include "testmain.h"

#include "audioplayer.h"
#include "errormsg.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "platform/media/mediadevice.h"
#include "platform/media/virtualclockdevice.h"
#include "ruvo.h"
#include "table.h"
#include "updown.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegion>
#include <QRegularExpression>
#include <QTest>

#include <memory>
#include <vector>

using zelan::media::MediaDevice;
using zelan::media::VirtualClockDevice;

namespace {

// The virtual-clock device over the program folder's recordings, with a log of every file it
// was asked to open: "S:A" for the recitation of sura S aya A, "tS:A" for its translation, the
// path itself for anything else (a file that does not exist fails to open, as on the system).
class OpenLog : public MediaDevice {
public:
    VirtualClockDevice clock;
    QStringList opened;

    std::uint32_t open(const QString& path, std::uint32_t* id) override {
        static const QRegularExpression aya(QStringLiteral("/sora(\\d+)/Tivlo/\\w+/a(-?\\d+)\\.mp3$"));
        static const QRegularExpression translation(QStringLiteral("/t(\\d+)_(\\d+)\\.mp3$"));
        if (const auto m = aya.match(path); m.hasMatch())
            opened << m.captured(1) + QLatin1Char(':') + m.captured(2);
        else if (const auto t = translation.match(path); t.hasMatch())
            opened << QStringLiteral("t%1:%2").arg(t.captured(1).toInt()).arg(t.captured(2).toInt());
        else
            opened << path;
        return clock.open(path, id);
    }
    std::uint32_t statusLength(std::uint32_t id, std::uint32_t* ms) override { return clock.statusLength(id, ms); }
    std::uint32_t statusMode(std::uint32_t id, std::uint32_t* mode) override { return clock.statusMode(id, mode); }
    std::uint32_t statusPosition(std::uint32_t id, std::uint32_t* ms) override { return clock.statusPosition(id, ms); }
    std::uint32_t play(std::uint32_t id, QObject* receiver) override { return clock.play(id, receiver); }
    std::uint32_t pause(std::uint32_t id) override { return clock.pause(id); }
    std::uint32_t resume(std::uint32_t id) override { return clock.resume(id); }
    std::uint32_t stop(std::uint32_t id) override { return clock.stop(id); }
    std::uint32_t close(std::uint32_t id) override { return clock.close(id); }
    QString errorText(std::uint32_t code) const override { return clock.errorText(code); }
};

struct LineRow {
    int page, half, sora, aya, y, x1, x2;
};

std::vector<LineRow> readLineRows() {
    std::vector<LineRow> rows;
    zelan::tables::Table lines(QStringLiteral("lines"), QStringLiteral("trans_RUS"), QStringLiteral("LINES_ruvo.DB"));
    lines.open();
    const auto field = [&](const char* name) { return lines.fieldByName(QString::fromLatin1(name)).asInteger(); };
    for (lines.first(); !lines.eof(); lines.next())
        rows.push_back({field("pagenum"), field("halfnum"), field("soranum"), field("ayanum"), field("ylinefromtop"),
                        field("x1aya"), field("x2aya")});
    return rows;
}

void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

enum Way { PageBox, HalfBackFromPage2, FirstSoraButton, PrevSoraFrom78, NextSoraFrom114, SoraList };

} // namespace

// Page 1 and every sura start with a title line, a line that belongs to no aya. Whatever leads
// onto such a line, the reading position stands on the first aya it introduces, with its mark,
// its aya box and its translation, and play opens that aya's recording. Over the full data set.
class TitleLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ZELAN_ENTER_PROGRAM_FOLDER(m_folder, m_previous);
        m_rows = readLineRows();
    }
    void cleanupTestCase() {
        if (!m_previous.isEmpty())
            QDir::setCurrent(m_previous);
    }

    void init() {
        m_messages.clear();
        m_popups = 0;
        zelan::ui::setMessageHook([this](const QString& text, const QString& caption, zelan::ui::MessageKind) {
            m_messages << (caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
        });
        zelan::ui::setBeepHook([] {});
        zelan::ui::setModalHook([this](QDialog* dialog) {
            if (qobject_cast<TerrorMsg_frm*>(dialog))
                ++m_popups;
            return 0;
        });
        m_device = std::make_unique<OpenLog>();
        zelan::media::setSystemDeviceForTesting(m_device.get());
        languageCode = zelan::ui::kRussian;
        m_window = std::make_unique<Truvo_frm>(nullptr);
        ruvo_frm = m_window.get();
        m_window->show();
        m_window->ayaAndTargamaSound_rb->setChecked(false);
        m_device->opened.clear();
    }
    void cleanup() {
        m_window->close();
        m_window.reset();
        ruvo_frm = nullptr;
        zelan::media::setSystemDeviceForTesting(nullptr);
        m_device.reset();
        zelan::ui::setMessageHook({});
        zelan::ui::setBeepHook({});
        zelan::ui::setModalHook({});
    }

    // Page 1 begins with sura 1's title line; sura 1 has no opening formula, so every way onto
    // the page stands on aya 1, coming from another sura.
    void everyWayOntoPageOne_data() {
        QTest::addColumn<int>("way");
        QTest::addColumn<int>("fromSora");
        QTest::addColumn<int>("fromAya");
        QTest::addRow("typing 1 into the page box") << int(PageBox) << 80 << 5;
        QTest::addRow("a half back from page 2") << int(HalfBackFromPage2) << 78 << 1;
        QTest::addRow("first sura button") << int(FirstSoraButton) << 80 << 5;
        QTest::addRow("previous sura from 78") << int(PrevSoraFrom78) << 78 << 3;
        QTest::addRow("next sura from 114") << int(NextSoraFrom114) << 114 << 2;
        QTest::addRow("sura list") << int(SoraList) << 80 << 5;
    }
    void everyWayOntoPageOne() {
        QFETCH(int, way);
        QFETCH(int, fromSora);
        QFETCH(int, fromAya);
        Truvo_frm& w = *m_window;
        standOn(fromSora, fromAya);
        if (way == HalfBackFromPage2)
            QCOMPARE(std::pair(w.currentPage, w.currentHalf), std::pair(2, 1));
        switch (Way(way)) {
        case PageBox: type(w.pageNum_ed, QStringLiteral("1")); break;
        case HalfBackFromPage2: w.nextHalf_imClick(); break;
        case FirstSoraButton: w.firstSora_bt_imClick(); break;
        case PrevSoraFrom78: w.prevSora_bt_imClick(); break;
        case NextSoraFrom114: w.nextSora_bt_imClick(); break;
        case SoraList: w.sora_cbChange(0); break;
        }
        checkStandsOn(1, 1, 1, 1);
        if (QTest::currentTestFailed())
            return;
        w.playAya_bt_imClick();
        QCOMPARE(m_device->opened, QStringList{QStringLiteral("1:1")});
        QCOMPARE(m_messages, QStringList());
    }

    // A click on a title line, while an aya of that sura plays on in continuous recitation:
    // the line stands for the first aya it introduces (aya 1 in sura 1, the opening formula in
    // a sura that starts mid-page). The click stops the recitation and starts nothing; the
    // translation button then plays that aya's translation, and play recites it and goes on
    // from it.
    void titleLineClick_data() {
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("playingAya");
        QTest::addColumn<int>("firstAya");
        QTest::addRow("sura 1, page 1") << 1 << 3 << 1;
        QTest::addRow("sura 79, mid-page") << 79 << 2 << 0;
    }
    void titleLineClick() {
        QFETCH(int, sora);
        QFETCH(int, playingAya);
        QFETCH(int, firstAya);
        Truvo_frm& w = *m_window;
        const LineRow title = titleLine(sora);
        QVERIFY(title.page > 0);
        standOn(sora, playingAya);
        QCOMPARE(std::pair(w.currentPage, w.currentHalf), std::pair(title.page, title.half));
        w.continuePlay_rb->setChecked(true);
        w.playAya_bt_imClick();
        const QString playing = QStringLiteral("%1:%2").arg(sora).arg(playingAya);
        const QString introduced = QStringLiteral("%1:%2").arg(sora).arg(firstAya);
        QCOMPARE(m_device->opened, QStringList{playing});

        const QPoint onTitle((title.x1 + title.x2) / 2, title.y);
        QTest::mouseClick(w.PaintBox1, Qt::LeftButton, {}, onTitle);
        checkStandsOn(sora, firstAya, title.page, title.half);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(player().getMode() != AyaPlayer::kPlaying);
        finishSound(); // nothing plays, so nothing follows
        QCOMPARE(m_device->opened, QStringList{playing});

        w.playTargamaSoun_btClick();
        QCOMPARE(m_device->opened, (QStringList{playing, QLatin1Char('t') + introduced}));

        QTest::mouseClick(w.PaintBox1, Qt::LeftButton, {}, onTitle);
        w.playAya_bt_imClick();
        finishSound();
        QCOMPARE(m_device->opened, (QStringList{playing, QLatin1Char('t') + introduced, introduced,
                                                QStringLiteral("%1:%2").arg(sora).arg(firstAya + 1)}));
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(m_popups, 0);
    }

private:
    TaudioPlayer& player() { return *m_window->recitationPlayer(); }

    void standOn(int sora, int aya) {
        m_window->sora_cbChange(sora == 1 ? 0 : sora - 77);
        m_window->setAya(aya);
        m_window->showAyaPage();
        m_device->opened.clear();
    }

    LineRow titleLine(int sora) const {
        for (const LineRow& row : m_rows)
            if (row.sora == sora && row.aya == -1)
                return row;
        return {};
    }

    // Plays what is playing to its end and delivers its completion notice.
    void finishSound() {
        TaudioPlayer& p = player();
        if (p.opened && p.getMode() == AyaPlayer::kPlaying)
            m_device->clock.advance(p.length - p.getPosition());
        QCoreApplication::sendPostedEvents();
    }

    // The position, the aya box and spinner, the translation record and the mark: red ink
    // inside the aya's bands on the half on show and nowhere else.
    void checkStandsOn(int sora, int aya, int page, int half) {
        Truvo_frm& w = *m_window;
        QCOMPARE(w.currentSora, sora);
        QCOMPARE(w.currentAya, aya);
        QCOMPARE(std::pair(w.currentPage, w.currentHalf), std::pair(page, half));
        QCOMPARE(w.aya_ed->isVisible(), aya != 0);
        QCOMPARE(w.aya_ed->text(), QString::number(aya));
        QCOMPARE(w.aya_ud->position(), aya);
        QVERIFY(!w.Translations_tb->eof());
        QCOMPARE(w.Translations_tb->fieldByName(QStringLiteral("SoraNum")).asInteger(), sora);
        QCOMPARE(w.Translations_tb->fieldByName(QStringLiteral("AyaNum")).asInteger(), aya);
        QRegion bands;
        for (const LineRow& r : m_rows)
            if (r.sora == sora && r.aya == aya && r.page == page && r.half == half)
                bands += w.ayaLineRect(r.x1, r.x2, r.page, r.half, r.sora, r.y);
        QVERIFY(!bands.isEmpty());
        int inside = 0;
        int outside = 0;
        const QImage& canvas = w.pageBoxCanvas();
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if ((canvas.pixel(x, y) | 0xFF000000) == qRgb(255, 0, 0))
                    ++(bands.contains(QPoint(x, y)) ? inside : outside);
        QVERIFY2(inside > 50, qPrintable(QStringLiteral("%1 marked pixels").arg(inside)));
        QCOMPARE(outside, 0);
    }

    QString m_folder;
    QString m_previous;
    std::vector<LineRow> m_rows;
    std::unique_ptr<OpenLog> m_device;
    std::unique_ptr<Truvo_frm> m_window;
    QStringList m_messages;
    int m_popups = 0;
};

ZELAN_TEST_CLASS(TitleLineTest)

#include "tst_titlelines.moc"
