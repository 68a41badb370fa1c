#include "testmain.h"

#include "errormsg.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "interfacelocale.h"
#include "main2.h"
#include "messages.h"
#include "ruvo.h"
#include "transdm.h"
#include "transoptions.h"
#include "workgroup.h"

#include "engineerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace zelan;

namespace {

// What the start window handed to the main window when it opened it.
struct MainWindowRun {
    int languageCode = 0;
    bool isMainWindow = false;
    bool isGlobal = false;
    int startOpacity = -1;
    int startLeft = 0;
    QLocale::Language locale = QLocale::AnyLanguage;
    QString cancelText;
};

Tmain_frm2::Environment screenOf(int width, int height, const QString& locale = QStringLiteral("en_US")) {
    return {QRect(0, 0, width, height), QLocale(locale)};
}

QImage buttonPicture(int languageCode, int id) {
    ui::ImageControl control;
    ui::loadButtonPicture(ui::loadPictureLibrary(languageCode), &control, id);
    return control.picture();
}

// Slides until the slide timer stops; returns the number of ticks that moved the window.
int slideToRest(Tmain_frm2& window) {
    int moves = 0;
    while (window.moveHor_tm->isActive() && moves < 1000) {
        const int before = window.x();
        window.moveHor_tmTimer();
        if (window.x() != before)
            ++moves;
    }
    return moves;
}

} // namespace

class StartWindowTest : public QObject {
    Q_OBJECT

    QString m_folder;
    QString m_previous;
    QStringList m_messages;
    int m_endRequests = 0;
    std::vector<MainWindowRun> m_runs;
    Tmain_frm2* m_window = nullptr; // the window whose opacity the modal hook reads

    void installHooks() {
        ui::setMessageHook([this](const QString& text, const QString&, ui::MessageKind) { m_messages << text; });
        ui::setEndApplicationHook([this](int) { ++m_endRequests; });
        ui::setModalHook([this](QDialog* dialog) {
            MainWindowRun run;
            run.languageCode = languageCode;
            run.isMainWindow = qobject_cast<Truvo_frm*>(dialog) != nullptr;
            run.isGlobal = dialog == ruvo_frm;
            if (m_window) {
                run.startOpacity = m_window->opacity();
                run.startLeft = m_window->x();
            }
            run.locale = QLocale().language();
            run.cancelText = QCoreApplication::translate("QPlatformTheme", "Cancel");
            m_runs.push_back(run);
            return 0;
        });
    }

private slots:
    void initTestCase() {
        m_folder = qEnvironmentVariable("ZELAN_PROGRAM_DIR");
        if (!QFileInfo::exists(m_folder + QStringLiteral("/Ara2/zelan_ara.dll"))) {
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_PROGRAM"))
                QFAIL(qPrintable(QStringLiteral("no program folder at %1").arg(m_folder)));
            m_folder.clear(); // skipped test by test, so later test classes still run
        }
        m_previous = QDir::currentPath();
    }

    void init() {
        if (m_folder.isEmpty())
            QSKIP("the program folder has not been built (scripts/build-data)");
        // Every file is found relative to the current directory, as in the program.
        QVERIFY(QDir::setCurrent(m_folder));
        m_messages.clear();
        m_endRequests = 0;
        m_runs.clear();
        m_window = nullptr;
        installHooks();
    }

    void cleanup() {
        ui::setMessageHook({});
        ui::setEndApplicationHook({});
        ui::setModalHook({});
        app::applyInterfaceLocale(ui::kArabic);
        QDir::setCurrent(m_previous);
    }

    void windowAsDesigned() {
        Tmain_frm2 window(screenOf(1024, 768));
        QCOMPARE(window.size(), QSize(795, 582));
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window.main_im->geometry(), QRect(0, 0, 795, 582));
        QVERIFY(!window.main_im->picture().isNull());
        QCOMPARE(window.arabic_im->pos(), QPoint(599, 506));
        QCOMPARE(window.russian_im->pos(), QPoint(128, 506));
        QCOMPARE(window.swapLang_im->pos(), QPoint(368, 506));
        // The close picture is the one built into the program, not taken from a library.
        QCOMPARE(window.close_im->geometry(), QRect(18, 523, 46, 46));
        QCOMPARE(window.close_im->picture().size(), QSize(46, 46));
        QCOMPARE(window.moveHor_tm->interval(), 50);
        QCOMPARE(window.fading_tm->interval(), 40);
        QVERIFY(window.moveHor_tm->isActive());
        QVERIFY(!window.fading_tm->isActive());
        QCOMPARE(window.opacity(), 0);
        QCOMPARE(m_messages, QStringList());
    }

    void firstLanguageFollowsTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("expected");
        QTest::addRow("Russian") << "ru_RU" << ui::kRussian;
        QTest::addRow("Arabic") << "ar_SA" << ui::kArabic;
        QTest::addRow("English") << "en_US" << ui::kArabic;
    }
    void firstLanguageFollowsTheLocale() {
        QFETCH(QString, locale);
        QFETCH(int, expected);
        const int other = expected == ui::kArabic ? ui::kRussian : ui::kArabic;
        Tmain_frm2 window(screenOf(1024, 768, locale));
        QCOMPARE(languageCode, expected);
        QCOMPARE(startPictureLibrary, ui::loadPictureLibrary(expected));
        QCOMPARE(window.arabic_im->picture(), buttonPicture(expected, 327));
        QVERIFY(window.arabic_im->picture() != buttonPicture(other, 327));
        QCOMPARE(window.russian_im->picture(), buttonPicture(expected, 328));
        QCOMPARE(window.swapLang_im->picture(), buttonPicture(expected, 466));

        const QString shots = qEnvironmentVariable("ZELAN_APP_SCREENSHOTS");
        if (!shots.isEmpty()) {
            window.setOpacity(255);
            window.show();
            QDir().mkpath(shots);
            window.grab().save(QDir(shots).filePath(QStringLiteral("start_%1.png").arg(locale)));
        }
    }

    // The window enters at the right edge and stops just left of the centre; the fade starts.
    void slideComesToRest_data() {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("moves");
        QTest::addColumn<int>("restingLeft");
        QTest::addRow("1024 pixels") << 1024 << 768 << 4.0 << 228 << 1024 - 4 * 228;
        QTest::addRow("1920 pixels") << 1920 << 1080 << 6.0 << 227 << 1920 - 6 * 227;
    }
    void slideComesToRest() {
        QFETCH(int, screenWidth);
        QFETCH(int, screenHeight);
        QFETCH(double, step);
        QFETCH(int, moves);
        QFETCH(int, restingLeft);
        Tmain_frm2 window(screenOf(screenWidth, screenHeight));
        QCOMPARE(window.slideStep, step);
        QCOMPARE(window.pos(), QPoint(screenWidth, (screenHeight - 582) / 2));
        QCOMPARE(slideToRest(window), moves);
        QCOMPARE(window.x(), restingLeft);
        QVERIFY(window.x() < window.centredLeft() && window.x() >= window.centredLeft() - step);
        QCOMPARE(window.y(), (screenHeight - 582) / 2);
        QCOMPARE(window.opacity(), 255);
        QVERIFY(window.fading_tm->isActive());
    }

    // Left alone, the window fades out in 255 ticks and opens the Arabic main window, whatever
    // language its pictures were in.
    void fadeOutOpensTheArabicMainWindow() {
        Tmain_frm2 window(screenOf(1024, 768, QStringLiteral("ru_RU")));
        m_window = &window;
        slideToRest(window);
        int ticks = 0;
        while (window.fading_tm->isActive() && ticks < 1000) {
            window.fading_tmTimer();
            ++ticks;
        }
        QCOMPARE(ticks, 255);
        QCOMPARE(m_runs.size(), size_t(1));
        QCOMPARE(m_runs[0].languageCode, ui::kArabic);
        QVERIFY(m_runs[0].isMainWindow);
        QVERIFY(m_runs[0].isGlobal);
        QCOMPARE(m_runs[0].startOpacity, 0);
        QCOMPARE(m_runs[0].startLeft, window.centredLeft());
        QCOMPARE(ruvo_frm, nullptr);
        QCOMPARE(window.opacity(), 255);
        QVERIFY(!window.moveHor_tm->isActive() && !window.fading_tm->isActive());
        QCOMPARE(window.arabic_im->picture(), buttonPicture(ui::kArabic, 327));
    }

    // The choice of language: the main window opens in it with the standard dialogs in the same
    // language; the start window is opaque behind a Russian main window but keeps its momentary
    // opacity behind an Arabic one, and is opaque again when the main window has closed.
    void languageButtonsOpenTheMainWindow_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("opacityBehind");
        QTest::addColumn<QLocale::Language>("locale");
        QTest::addColumn<QString>("cancel");
        QTest::addRow("Russian") << "russian_im" << ui::kRussian << 255 << QLocale::Russian << "Отмена";
        QTest::addRow("Arabic") << "arabic_im" << ui::kArabic << 20 << QLocale::system().language() << "Cancel";
    }
    void languageButtonsOpenTheMainWindow() {
        QFETCH(QString, button);
        QFETCH(int, expected);
        QFETCH(int, opacityBehind);
        QFETCH(QLocale::Language, locale);
        QFETCH(QString, cancel);
        Tmain_frm2 window(screenOf(1024, 768));
        m_window = &window;
        window.show();
        for (int i = 0; i < 20; ++i)
            window.moveHor_tmTimer();
        auto* control = window.findChild<ui::ImageControl*>(button);
        QVERIFY(control);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_runs.size(), size_t(1));
        QCOMPARE(m_runs[0].languageCode, expected);
        QVERIFY(m_runs[0].isMainWindow);
        QCOMPARE(m_runs[0].startOpacity, opacityBehind);
        QCOMPARE(m_runs[0].startLeft, window.centredLeft());
        QCOMPARE(m_runs[0].locale, locale);
        QCOMPARE(m_runs[0].cancelText, cancel);
        QCOMPARE(window.opacity(), 255);
        QVERIFY(!window.moveHor_tm->isActive() && !window.fading_tm->isActive());
        QCOMPARE(window.arabic_im->picture(), buttonPicture(expected, 327));

        // Choosing again gives a fresh main window.
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_runs.size(), size_t(2));
        QVERIFY(m_runs[1].isMainWindow);
        QCOMPARE(ruvo_frm, nullptr);
    }

    // The swap button changes only the start window's pictures: two presses bring the first
    // ones back, and the main window's language is still the one of the button pressed.
    void swapChangesOnlyTheStartPictures() {
        Tmain_frm2 window(screenOf(1024, 768));
        const QImage first = window.arabic_im->picture();
        window.swapLang_imClick();
        QVERIFY(window.arabic_im->picture() != first);
        QCOMPARE(window.arabic_im->picture(), buttonPicture(ui::kRussian, 327));
        QCOMPARE(window.x(), window.centredLeft());
        window.swapLang_imClick();
        QCOMPARE(window.arabic_im->picture(), first);
        QVERIFY(window.moveHor_tm->isActive());
        QCOMPARE(m_runs.size(), size_t(0));

        window.swapLang_imClick(); // Russian pictures, then the Arabic button
        window.arabic_imClick();
        QCOMPARE(m_runs.size(), size_t(1));
        QCOMPARE(m_runs[0].languageCode, ui::kArabic);
        QCOMPARE(window.arabic_im->picture(), first);
    }

    // The image buttons of the start window, the print options, the error popup and the
    // credits have names for screen readers in the interface language (the start window's
    // follow its language button).
    void buttonsHaveNames() {
        const ui::PictureLibrary before = pictureLibrary;
        const auto restore = qScopeGuard([&] { pictureLibrary = before; });
        Tmain_frm2 window(screenOf(1024, 768));
        for (const int code : {ui::kArabic, ui::kRussian}) {
            if (languageCode != code)
                window.swapLang_imClick();
            const ui::PictureLibrary library = ui::loadPictureLibrary(code);
            pictureLibrary = library;
            Ttrans_options_frm options(nullptr);
            TerrorMsg_frm popup(nullptr, library);
            Tgroup_frm credits(nullptr, library);
            const std::pair<QWidget*, int> named[] = {
                {window.arabic_im, 188},      {window.russian_im, 189},   {window.swapLang_im, 190},
                {window.close_im, 185},       {options.okButton_im, 156}, {options.cancelButton_im, 193},
                {popup.cancelButton_im, 193}, {credits.Image2, 185},
            };
            for (const auto& [control, id] : named) {
                QVERIFY2(!library->string(id).value_or(QString()).isEmpty(), qPrintable(QString::number(id)));
                QCOMPARE(control->accessibleName(), *library->string(id));
            }
        }
    }

    void escapeCentresTheWindow() {
        Tmain_frm2 window(screenOf(1024, 768));
        window.show();
        for (int i = 0; i < 10; ++i)
            window.moveHor_tmTimer();
        const int left = window.x();
        QTest::keyClick(&window, Qt::Key_A);
        QCOMPARE(window.x(), left);
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(window.x(), window.centredLeft());
        QVERIFY(window.isVisible());
        QVERIFY(window.moveHor_tm->isActive());
        window.moveHor_tmTimer();
        QCOMPARE(window.x(), window.centredLeft() - 4);
        QVERIFY(window.moveHor_tm->isActive());
        window.moveHor_tmTimer();
        QVERIFY(!window.moveHor_tm->isActive());
        QCOMPARE(window.opacity(), 255);
        QVERIFY(window.fading_tm->isActive());
    }

    void closePictureEndsTheProgram() {
        Tmain_frm2 window(screenOf(1024, 768));
        window.show();
        QTest::mouseClick(window.close_im, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(m_endRequests, 1);
        QVERIFY(!window.moveHor_tm->isActive() && !window.fading_tm->isActive());
    }

    // A missing library is reported once, with its path, and ends the program; no main window
    // opens without its pictures.
    void missingLibraryEndsTheProgram_data() {
        QTest::addColumn<bool>("withArabic");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("missing");
        QTest::addRow("first library") << false << "none" << "Ara2/zelan_ara.dll";
        QTest::addRow("swapped to") << true << "swap" << "rus2/zelan_rus.dll";
        QTest::addRow("chosen") << true << "russian" << "rus2/zelan_rus.dll";
    }
    void missingLibraryEndsTheProgram() {
        QFETCH(bool, withArabic);
        QFETCH(QString, action);
        QFETCH(QString, missing);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        if (withArabic) {
            QVERIFY(QDir(folder.path()).mkpath(QStringLiteral("Ara2")));
            QVERIFY(QFile::copy(QStringLiteral("Ara2/zelan_ara.dll"), folder.filePath(QStringLiteral("Ara2/zelan_ara.dll"))));
        }
        QVERIFY(QDir::setCurrent(folder.path()));
        Tmain_frm2 window(screenOf(1024, 768));
        if (action == QLatin1String("swap"))
            window.swapLang_imClick();
        else if (action == QLatin1String("russian"))
            window.russian_imClick();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith(QStringLiteral("Unable to load the local DLL ") + missing), qPrintable(m_messages[0]));
        QCOMPARE(m_endRequests, 1);
        QCOMPARE(m_runs.size(), size_t(0));
    }

    void dataModuleOpensItsTables() {
        {
            Ttrans_dm_fm module;
            QVERIFY(module.Translations_tb->isOpen());
            QVERIFY(module.transTemp_tb->isOpen());
            module.DataModuleDestroy();
            QVERIFY(!module.Translations_tb->isOpen() && !module.transTemp_tb->isOpen());
        }
        QTemporaryDir empty;
        QVERIFY(QDir::setCurrent(empty.path()));
        QVERIFY_THROWS_EXCEPTION(tables::EngineError, Ttrans_dm_fm());
    }

    // Exceptions escaping handlers and the start run in a process of their own: the start
    // needs the program's own application object and ends its event loop.
    void exceptionsAreShown_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("output");
        QTest::addRow("escaping handlers, the loop goes on")
            << QStringList{QStringLiteral("handler-exceptions")} << 0
            << QStringList{QStringLiteral("message: Table \"Translations.db\" is damaged"), QStringLiteral("message: "),
                           QStringLiteral("loop went on")};
        QTest::addRow("escaping the start, the program ends")
            << QStringList{QStringLiteral("start"), QStringLiteral("%noTables")} << 1
            << QStringList{QStringLiteral("message: Database alias \"Trans_RUS\": the folder")};
        QTest::addRow("a clean start and close") << QStringList{QStringLiteral("start"), QStringLiteral("%program")} << 0
                                                 << QStringList{};
    }
    void exceptionsAreShown() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, output);
        QTemporaryDir noTables;
        QVERIFY(QDir(noTables.path()).mkpath(QStringLiteral("Ara2")));
        QVERIFY(QFile::copy(QStringLiteral("Ara2/zelan_ara.dll"), noTables.filePath(QStringLiteral("Ara2/zelan_ara.dll"))));
        arguments.replaceInStrings(QStringLiteral("%noTables"), noTables.path());
        arguments.replaceInStrings(QStringLiteral("%program"), m_folder);

        QProcess probe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        probe.setProcessEnvironment(environment);
        probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        probe.start(QStringLiteral(ZELAN_APP_PROBE), arguments);
        QVERIFY(probe.waitForFinished(60000));
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        const QStringList lines = QString::fromUtf8(probe.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(probe.exitCode(), exitCode);
        QCOMPARE(lines.size(), output.size());
        for (qsizetype i = 0; i < output.size(); ++i)
            QVERIFY2(lines[i].startsWith(output[i]), qPrintable(lines[i]));
    }
};

ZELAN_TEST_CLASS(StartWindowTest)
#include "tst_app.moc"
