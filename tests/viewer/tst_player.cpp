#include "testmain.h"
#include "viewerfixture.h"

#include "audioplayer.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "platform/media/mediadevice.h"
#include "ruvo.h"
#include "schema.h"
#include "table.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace viewerfixture;
using zelan::media::MediaDevice;

namespace {

constexpr std::uint32_t kNotFound = 275;
constexpr std::uint32_t kBadDevice = 263;

// A device whose answers the test sets: files by path with a length, the raw mode, the
// position, and one-shot failures by command name. It records every command it receives.
class ScriptedDevice : public MediaDevice {
public:
    QMap<QString, std::uint32_t> files;
    QMap<QString, std::uint32_t> failNext;
    QStringList commands;
    std::uint32_t rawMode = Stopped;
    std::uint32_t position = 0;
    std::uint32_t openId = 0;
    QPointer<QObject> receiver;

    std::uint32_t open(const QString& path, std::uint32_t* id) override {
        if (const auto code = command("open"))
            return code;
        if (!files.contains(path))
            return kNotFound;
        *id = openId = ++m_lastId;
        m_length = files.value(path);
        rawMode = Stopped;
        position = 0;
        return 0;
    }
    std::uint32_t statusLength(std::uint32_t id, std::uint32_t* ms) override {
        *ms = m_length;
        return check(id, "length");
    }
    std::uint32_t statusMode(std::uint32_t id, std::uint32_t* mode) override {
        *mode = rawMode;
        return check(id, "mode");
    }
    std::uint32_t statusPosition(std::uint32_t id, std::uint32_t* ms) override {
        *ms = position;
        return check(id, "position");
    }
    std::uint32_t play(std::uint32_t id, QObject* to) override {
        receiver = to;
        rawMode = Playing;
        return check(id, "play");
    }
    std::uint32_t pause(std::uint32_t id) override {
        rawMode = Paused;
        return check(id, "pause");
    }
    std::uint32_t resume(std::uint32_t id) override {
        rawMode = Playing;
        return check(id, "resume");
    }
    std::uint32_t stop(std::uint32_t id) override {
        rawMode = Stopped;
        return check(id, "stop");
    }
    std::uint32_t close(std::uint32_t id) override {
        const std::uint32_t code = check(id, "close");
        if (code == 0)
            openId = 0;
        return code;
    }
    QString errorText(std::uint32_t code) const override {
        return code == kNotFound ? QStringLiteral("The file cannot be found.") : QString();
    }

private:
    std::uint32_t command(const char* name) {
        commands << QString::fromLatin1(name);
        return failNext.take(QString::fromLatin1(name));
    }
    std::uint32_t check(std::uint32_t id, const char* name = nullptr) {
        if (name)
            if (const auto code = command(name))
                return code;
        return id != 0 && id == openId ? 0 : kBadDevice;
    }
    std::uint32_t m_lastId = 0;
    std::uint32_t m_length = 0;
};

} // namespace

// The audio player over a scripted device, and the page display that follows a recitation.
class PlayerTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<Folder>();
        m_messages.clear();
        zelan::ui::setMessageHook([this](const QString& text, const QString& caption, zelan::ui::MessageKind) {
            m_messages << caption + QStringLiteral(": ") + text;
        });
        zelan::ui::setBeepHook([] {});
        languageCode = zelan::ui::kArabic;
        m_window = std::make_unique<Truvo_frm>(nullptr);
        ruvo_frm = m_window.get();
        auto player = std::make_unique<TaudioPlayer>(m_device);
        m_player = player.get();
        m_window->audioPlayer = std::move(player);
        for (const QString& name : {QStringLiteral("a"), QStringLiteral("t")})
            m_device.files.insert(path(name), 1000);
    }
    void cleanup() {
        m_window.reset();
        ruvo_frm = nullptr;
        m_folder.reset();
        m_device = ScriptedDevice();
        zelan::ui::setMessageHook({});
        zelan::ui::setBeepHook({});
    }

    void getModeWithNothingOpenAsksNoDevice() {
        QCOMPARE(m_player->getMode(), 0);
        QCOMPARE(m_device.commands, QStringList());
    }

    // The second close fails at the device: its code comes back, nothing is reported and the
    // pictures stay as they are.
    void closeTwice() {
        m_player->playAya(m_window.get(), path("a"));
        QCOMPARE(m_player->close(), 0u);
        m_window->showRecitingPictures(); // something the second close would overwrite
        const QImage shown = m_window->playAya_bt_im->picture();
        QCOMPARE(m_player->close(), kBadDevice);
        QVERIFY(!m_player->opened);
        QCOMPARE(m_window->playAya_bt_im->picture(), shown);
        QCOMPARE(m_messages, QStringList());
    }

    // An aya started while a translation plays closes the translation first.
    void ayaDuringATranslation() {
        m_window->setSora(78);
        m_window->setAya(1);
        m_player->playTranslation(m_window.get(), path("t"));
        QCOMPARE(m_player->getMode(), 2);
        m_device.commands.clear();
        m_player->playAya(m_window.get(), path("a"));
        QCOMPARE(m_device.commands.mid(0, 4), (QStringList{"close", "open", "length", "play"}));
        QCOMPARE(m_player->fileName, path("a"));
        QVERIFY(m_player->opened);
    }

    void unknownDeviceModeKeepsTheLastCode() {
        m_player->playAya(m_window.get(), path("a"));
        m_device.rawMode = MediaDevice::Paused;
        QCOMPARE(m_player->getMode(), 1);
        m_device.rawMode = 999;
        QCOMPARE(m_player->getMode(), 1);
    }

    // Reciting shows 529 on the range button only while range mode is chosen; a translation
    // never arms the half-turn timer, whatever its aya's fraction.
    void picturesAndTimer() {
        const auto idOf = [](int id) {
            zelan::ui::ImageControl holder;
            zelan::ui::loadButtonPicture(pictureLibrary, &holder, id);
            return holder.picture();
        };
        Truvo_frm& w = *m_window;
        w.goToPage(2);
        w.setAya(3); // fraction 0.5
        m_player->playTranslation(&w, path("t"));
        QVERIFY(!w.delayAya_tm->isActive());
        m_player->playAya(&w, path("a"));
        QVERIFY(w.delayAya_tm->isActive());
        QCOMPARE(w.repeatAya_bt_im->picture(), idOf(526));
        w.continueAya_rb->setChecked(true);
        m_player->playAya(&w, path("a"));
        QCOMPARE(w.repeatAya_bt_im->picture(), idOf(529));
        m_player->close();
        QVERIFY(!w.delayAya_tm->isActive());
        QCOMPARE(w.repeatAya_bt_im->picture(), idOf(526));
        QVERIFY(!w.times_ed->isReadOnly()); // a successful close unlocks the range settings
    }

    // A running-over aya turns the half when the heard position reaches length x fraction:
    // aya 3 of sura 78 (timedelay 3, totalAyaTime 6) at half of its 1000 ms.
    void turnAtTheFraction() {
        Truvo_frm& w = *m_window;
        w.setSora(78);
        w.setAya(3);
        QCOMPARE(std::make_pair(w.currentPage, w.currentHalf), std::make_pair(2, 1));
        m_player->playAya(&w, path("a"));
        QCOMPARE(halfTurnFraction, 0.5f);
        QVERIFY(w.delayAya_tm->isActive());
        m_device.position = 499;
        w.delayAya_tmTimer();
        QCOMPARE(std::make_pair(w.currentPage, w.currentHalf), std::make_pair(2, 1));
        m_device.position = 500;
        w.delayAya_tmTimer();
        QVERIFY(!w.delayAya_tm->isActive());
        QCOMPARE(std::make_pair(w.currentPage, w.currentHalf), std::make_pair(2, 2));
        QCOMPARE(pageOf(w.pagePicture), std::make_pair(2, 2));
        QCOMPARE(m_player->getMode(), 2); // the recitation goes on
    }

    // An aya with fraction 0 arms nothing while it plays; after it the display turns on.
    void fractionZeroTurnsAfterTheAya() {
        Truvo_frm& w = *m_window;
        w.goToPage(3);
        w.setSora(79);
        w.setAya(1);
        m_player->playAya(&w, path("a"));
        QCOMPARE(halfTurnFraction, 0.0f);
        QVERIFY(!w.delayAya_tm->isActive());
        w.turnHalf(1);
        QCOMPARE(std::make_pair(w.currentPage, w.currentHalf), std::make_pair(3, 2));
    }

    // At the end of sura 114 the last half is set without loading a picture or writing numbers.
    void endOfSura114() {
        Truvo_frm& w = *m_window;
        w.goToPage(24);
        w.setSora(114);
        w.currentHalf = 1;
        const QImage before = w.pagePicture;
        const QString number = w.pageNum_ed->text();
        w.turnHalf(1);
        QCOMPARE(std::make_pair(w.currentPage, w.currentHalf), std::make_pair(24, 2));
        QCOMPARE(w.pagePicture, before);
        QCOMPARE(w.pageNum_ed->text(), number);
    }

    // A click on the part of a running-over aya on its second half: the display goes back to
    // the half the aya starts on, then turns forward at the fraction.
    void clickOnTheSecondHalfOfARunningOverAya() {
        Truvo_frm& w = *m_window;
        w.show();
        w.goToPage(2);
        w.prevHalf_imClick(); // page 2, half 2 on show
        QCOMPARE(std::make_pair(w.currentPage, w.currentHalf), std::make_pair(2, 2));
        m_device.files.insert(w.ayaSoundFile(78, 3), 800);
        QTest::mouseClick(w.PaintBox1, Qt::LeftButton, {}, QPoint(350, 30));
        QCOMPARE(w.currentAya, 3);
        QCOMPARE(std::make_pair(w.currentPage, w.currentHalf), std::make_pair(2, 1));
        QVERIFY(w.delayAya_tm->isActive());
        m_device.position = 400; // half of 800
        w.delayAya_tmTimer();
        QCOMPARE(std::make_pair(w.currentPage, w.currentHalf), std::make_pair(2, 2));
    }

    // A file the device cannot open: the beep and the device's text in an "MCI Error" box;
    // a code the device has no text for says "Unknown Error".
    void errorsAreReported() {
        int beeps = 0;
        zelan::ui::setBeepHook([&] { ++beeps; });
        m_player->playAya(m_window.get(), path("missing"));
        QCOMPARE(m_messages, QStringList{QStringLiteral("MCI Error: The file cannot be found.")});
        QCOMPARE(beeps, 1);
        QVERIFY(!m_player->opened);
        m_player->playAya(m_window.get(), path("a"));
        m_device.failNext.insert(QStringLiteral("position"), 77);
        QCOMPARE(m_player->getPosition(), 0u);
        QCOMPARE(m_messages.last(), QStringLiteral("MCI Error: Unknown Error"));
        QVERIFY(!m_player->opened); // a failed position query closes the player
    }

    // On the program's own kind of device a missing recording is named in the box, and the
    // window's first show opens sura 1's first aya on the program's device.
    void realDeviceNamesTheMissingFile() {
        const auto device = zelan::media::createDevice(zelan::media::OutputChoice::NullOutput);
        zelan::media::setSystemDeviceForTesting(device.get());
        m_window->audioPlayer.reset();
        m_window->show(); // the fixture folder has no recordings
        zelan::media::setSystemDeviceForTesting(nullptr);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().startsWith(QStringLiteral("MCI Error: ")), qPrintable(m_messages.first()));
        QVERIFY2(m_messages.first().contains(QStringLiteral("Translations/Sound_aya/sora1/Tivlo/Zorvik/a1.mp3")),
                 qPrintable(m_messages.first()));
        auto* player = dynamic_cast<TaudioPlayer*>(m_window->audioPlayer.get());
        QVERIFY(player && !player->opened);
        m_window->close(); // closes and deletes the player before its device goes
    }

    // A long program folder path reaches the device whole.
    void longPathsAreKept() {
        const QString deep = QStringLiteral("/tmp/") + QString(300, QLatin1Char('x')) + QStringLiteral("/a1.mp3");
        m_device.files.insert(deep, 1000);
        QCOMPARE(m_player->openFile(deep), 0u);
        QCOMPARE(m_player->fileName, deep);
    }

    // The translation recording of the aya the translation table stands on: its language's
    // folder, the sura's folder and the record's file. A language number outside the folder
    // table, or a record without a file name (whose path names the sura's folder), is told to
    // the user as a missing file, never read outside the table or handed to the player.
    void translationSoundFile_data() {
        QTest::addColumn<int>("aya");
        QTest::addColumn<QString>("expected"); // the path under Translations/Sound_trans/Lang/
        QTest::addColumn<bool>("found");
        QTest::addRow("found") << 1 << "russ/sora97/t1.mp3" << true;
        QTest::addRow("language 50") << 2 << "/sora97/t2.mp3" << false;
        QTest::addRow("language -1") << 3 << "/sora97/t3.mp3" << false;
        QTest::addRow("no file name") << 4 << "russ/sora97/" << false;
        QTest::addRow("no file") << 5 << "russ/sora97/t5.mp3" << false;
    }
    void translationSoundFile() {
        QFETCH(int, aya);
        QFETCH(QString, expected);
        QFETCH(bool, found);
        m_window.reset();
        const QByteArray picture = jpeg(solid(QSize(200, 30), Qt::gray));
        Folder::insert(zelan::data::translationsTable(),
                       {{qint64(97), qint64(1), qint64(23), qint64(1), picture, QByteArray(), QStringLiteral("t1.mp3"), QString()},
                        {qint64(97), qint64(2), qint64(50), qint64(1), picture, QByteArray(), QStringLiteral("t2.mp3"), QString()},
                        {qint64(97), qint64(3), qint64(-1), qint64(1), picture, QByteArray(), QStringLiteral("t3.mp3"), QString()},
                        {qint64(97), qint64(4), qint64(23), qint64(1), picture, QByteArray(), QString(), QString()},
                        {qint64(97), qint64(5), qint64(23), qint64(1), picture, QByteArray(), QStringLiteral("t5.mp3"), QString()}});
        const QString lang = QDir::currentPath() + QStringLiteral("/Translations/Sound_trans/Lang/");
        // Files at every path the records could name, so only the checks decide.
        for (const QString& file : {QStringLiteral("russ/sora97/t1.mp3"), QStringLiteral("/sora97/t2.mp3"),
                                    QStringLiteral("/sora97/t3.mp3")}) {
            QDir().mkpath(QFileInfo(lang + file).path());
            QFile(lang + file).open(QIODevice::WriteOnly);
        }
        m_window = std::make_unique<Truvo_frm>(nullptr);
        ruvo_frm = m_window.get();
        m_window->sora_cbChange(97 - 77);
        m_window->setAya(aya);
        m_window->highlightAya(97, aya, 100); // the translation table follows the looked-up aya
        QCOMPARE(m_window->Translations_tb->fieldByName(QStringLiteral("AyaNum")).asInteger(), aya);
        const QString result = m_window->translationSoundFile(97);
        if (found) {
            QCOMPARE(result, lang + expected);
            QCOMPARE(m_messages, QStringList());
        } else {
            QCOMPARE(result, QString());
            QCOMPARE(m_messages, QStringList{QStringLiteral(": الملف التالي غير موجود : ") + lang + expected});
        }
    }

private:
    static QString path(const QString& name) { return QStringLiteral("/sounds/%1.mp3").arg(name); }

    std::unique_ptr<Folder> m_folder;
    std::unique_ptr<Truvo_frm> m_window;
    ScriptedDevice m_device;
    TaudioPlayer* m_player = nullptr;
    QStringList m_messages;
};

ZELAN_TEST_CLASS(PlayerTest)

#include "tst_player.moc"
