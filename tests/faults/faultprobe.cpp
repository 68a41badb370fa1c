// The program itself, started by the fault test in a damaged program folder (the current
// directory, with a copy of this executable in it, so that the user guides are found next to
// it). It runs the program's own start: runProgram, the start window, the Arabic button and the
// main window; once the main window is shown it runs the steps named by its first argument
// through the program's handlers, then closes the main window and presses the start window's
// close picture.
//
// Instead of showing them, it writes one line to standard output for each thing the user would
// see, so the test can read what happened:
//   message: <caption>|<text>      a message box (new lines written as \n)
//   silent                         the box that tells the recitation is silent (shown once,
//                                  where there is no sound output), kept apart from the others
//                                  because whether it comes depends on the machine
//   beep                           the system bell
//   window: <class>                a modal window was opened (main window, options, preview, help)
//   help: <text>                   the text on show in the help window
//   file: <path> <sha256>          the bytes of a data file at that moment
//   state: <label> sora=.. aya=.. page=.. half=.. picture=<hash> translation=<hash> mode=..
//                                  the reading position and what the page and translation boxes
//                                  show (a hash of the pictures' pixels, or "null")
// Every handler runs from an event, so an exception that escapes it is shown by the
// application object, as in the program.
//
//   fault_probe browse | page | translation | play | translationSound | help | print | printWriteFails

#include "application.h"
#include "audioplayer.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "main2.h"
#include "messages.h"
#include "nobza.h"
#include "ruvo.h"
#include "startup.h"
#include "transoptions.h"
#include "updown.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

QString scenario;

void say(const QString& line) {
    QString text = line;
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    std::printf("%s\n", qUtf8Printable(text));
    std::fflush(stdout);
}

QString pictureHash(const QImage& picture) {
    if (picture.isNull())
        return QStringLiteral("null");
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < rgb.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 4));
    return QString::fromLatin1(hash.result().toHex().left(12));
}

void sayFileHash(const QString& path) {
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
    say(QStringLiteral("file: %1 %2")
            .arg(path,
                 QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())));
}

// Lets the event loop deliver what the last step posted or started, for about `ms`.
void settle(int ms = 0) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (clock.elapsed() < ms);
}

// Runs `handler` from a posted event, as the program's timers and queued calls run handlers, so
// that an exception that escapes it reaches Application::notify and is shown there.
void handle(const std::function<void()>& handler) {
    QMetaObject::invokeMethod(qApp, handler, Qt::QueuedConnection);
    settle();
}

// A real click on a control. An error in the handler it runs comes back from the event loop
// to Application::notify, without unwinding through Qt's mouse event delivery.
void click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
    settle();
}

void state(Truvo_frm* w, const char* label) {
    int mode = -1;
    QString file;
    if (TaudioPlayer* player = w->recitationPlayer()) {
        mode = player->getMode();
        file = QDir::current().relativeFilePath(player->fileName);
    }
    say(QStringLiteral("state: %1 sora=%2 aya=%3 page=%4 half=%5 picture=%6 translation=%7 mode=%8 file=%9")
            .arg(QString::fromLatin1(label))
            .arg(w->getSora())
            .arg(w->getAya())
            .arg(w->currentPage)
            .arg(w->getHalf())
            .arg(pictureHash(w->pagePicture), pictureHash(w->Image2->picture()))
            .arg(mode)
            .arg(file));
}

// The main window's ayas are chosen with the aya spinner, as the user steps it.
void stepToAya(Truvo_frm* w, int aya) {
    handle([w, aya] {
        w->aya_ud->setPosition(aya);
        w->aya_udClick();
    });
}

void runSteps(Truvo_frm* w) {
    state(w, "shown");
    if (scenario == QLatin1String("browse") || scenario == QLatin1String("page")) {
        handle([w] { w->sora_cbChange(1); }); // sura 78 from the sura list
        state(w, "sura78");
        click(w->prevHalf_im);
        state(w, "prevHalf");
        click(w->nextHalf_im);
        state(w, "nextHalf");
    } else if (scenario == QLatin1String("translation")) {
        stepToAya(w, 2);
        state(w, "aya2");
        click(w->printTargama_im);
    } else if (scenario == QLatin1String("play")) {
        stepToAya(w, 2);
        click(w->playAya_bt_im);
        settle(200);
        state(w, "played");
    } else if (scenario == QLatin1String("translationSound")) {
        click(w->playTargamaSoun_bt);
        settle(200);
        state(w, "played");
    } else if (scenario == QLatin1String("help")) {
        click(w->help_im);
    } else if (scenario == QLatin1String("print")) {
        click(w->printTargama_im);
        state(w, "printed");
    } else if (scenario == QLatin1String("printWriteFails")) {
        // The table engine writes transTemp.db through a journal beside it; a folder in the
        // journal's place, made while the program runs, makes the next write fail for real
        // (file modes would not stop a run as root). The start has read the tables already.
        say(QStringLiteral("journal blocked: %1")
                .arg(QDir().mkdir(QStringLiteral("trans_RUS/transTemp.db-journal"))));
        click(w->printTargama_im);
        state(w, "printed");
        // The program goes on: a second print meets the same failure, and after the folder is
        // gone, printing works again.
        click(w->printTargama_im);
        sayFileHash(QStringLiteral("trans_RUS/transTemp.db"));
        QDir().rmdir(QStringLiteral("trans_RUS/transTemp.db-journal"));
        click(w->printTargama_im);
    }
    state(w, "end");
}

int answerModal(QDialog* dialog) {
    say(QStringLiteral("window: ") + QString::fromLatin1(dialog->metaObject()->className()));
    if (auto* w = qobject_cast<Truvo_frm*>(dialog)) {
        w->show();
        settle(50);
        runSteps(w);
        w->close();
        settle();
        return 0;
    }
    if (auto* options = qobject_cast<Ttrans_options_frm*>(dialog)) {
        options->show();
        settle();
        click(options->okButton_im);
        options->close();
        return 0;
    }
    if (auto* help = qobject_cast<Tnobza_frm*>(dialog)) {
        help->show();
        settle(50);
        say(QStringLiteral("help: ") + help->CppWebBrowser1->toPlainText());
        help->close();
        return 0;
    }
    return 0; // the print preview: its pages were prepared before it opens
}

} // namespace

int main(int argc, char** argv) {
    zelan::app::Application app(argc, argv);
    scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    constexpr int kWatchdogCode = 99;
    QTimer::singleShot(40000, [] {
        say(QStringLiteral("watchdog"));
        QCoreApplication::exit(kWatchdogCode);
    });
    zelan::ui::setMessageHook([](const QString& text, const QString& caption, zelan::ui::MessageKind) {
        if (text == zelan::recitation::silentOutputNotice(languageCode))
            say(QStringLiteral("silent"));
        else
            say(QStringLiteral("message: %1|%2").arg(caption, text));
    });
    zelan::ui::setBeepHook([] { say(QStringLiteral("beep")); });
    zelan::ui::setModalHook(answerModal);
    // After the start, the Arabic button opens the main window; when it has closed, the close
    // picture ends the program. A start that failed has already asked to end.
    QTimer::singleShot(0, [] {
        if (zelan::ui::applicationEnding() || !main_frm2)
            return;
        main_frm2->arabic_imClick();
        if (!zelan::ui::applicationEnding())
            main_frm2->close_imClick();
    });
    return zelan::app::runProgram(app);
}
