#include "heardrun.h"
#include "programfolder.h"
#include "soundtest.h"
#include "sanitizerbuild.h"
#include "testmain.h"

#include "errormsg.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "ruvo.h"

#include <QDialog>
#include <QFile>
#include <QTest>

#include <memory>

using namespace zelan::listening;

// The recitation as a listener hears it: the real main window over the program folder plays
// through the program's own sound device into the tests' sound server, whose null sink's
// monitor is recorded and lined up with the files.
class HeardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ZELAN_ENTER_PROGRAM_FOLDER(m_folder, m_previous);
        ZELAN_ENTER_SOUND_SERVER(m_server);
        zelan::ui::setMessageHook([this](const QString& text, const QString& caption, zelan::ui::MessageKind) {
            m_messages << (caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
        });
        zelan::ui::setBeepHook([] {});
        zelan::ui::setModalHook([this](QDialog* dialog) {
            m_messages << QStringLiteral("modal window %1").arg(QString::fromLatin1(dialog->metaObject()->className()));
            return 0;
        });
        languageCode = zelan::ui::kArabic;
        m_window = std::make_unique<Truvo_frm>(nullptr);
        ruvo_frm = m_window.get();
        m_window->show();
    }
    void cleanupTestCase() {
        if (m_window) {
            m_window->close();
            m_window.reset();
        }
        ruvo_frm = nullptr;
        zelan::ui::setMessageHook({});
        zelan::ui::setBeepHook({});
        zelan::ui::setModalHook({});
        if (!m_previous.isEmpty())
            QDir::setCurrent(m_previous);
    }

    // Continuous play with translation over sura 78 ayas 14 to 17 (eight files; aya 16 runs
    // over from the first half of page 2 to the second). Every file is heard from its
    // first to its last sample, the next one after it with no overlap and no more silence added
    // than 20 ms; each completion notice comes within 20 ms after the heard end of its file,
    // and the half turns close after the heard moment of its word (kTurnLateLimitMs).
    void continuousPlayIsHeardWhole() {
        const HeardRun run = playAndListen(*m_window, m_server, 78, 14, 8);
        for (const QString& line : describe(run))
            qInfo("%s", qPrintable(line));
        keepRecording(run);
        QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
        QCOMPARE(m_messages, QStringList());
        // The server's reports kept for the clock lie within a millisecond either side of its
        // line (a busy machine spreads them that far); the checks below allow 20 ms.
        QVERIFY2(run.mapping.spreadMs <= 2.0, qPrintable(QString::number(run.mapping.spreadMs)));
        QVERIFY(run.mapping.delayedReports * 10 <= run.mapping.reports);
        QStringList faults;
        for (const HeardFile& f : run.files) {
            const QString name = QStringLiteral("%1%2:%3").arg(f.translation ? "t" : "").arg(f.sora).arg(f.aya);
            if (f.match->tailCorrelation < 0.95)
                faults << QStringLiteral("%1: its last 250 ms correlate at %2").arg(name).arg(f.match->tailCorrelation);
            if (f.match->headCorrelation < 0.95)
                faults << QStringLiteral("%1: its first 250 ms correlate at %2").arg(name).arg(f.match->headCorrelation);
            if (!std::isnan(f.gapMs) && (f.gapMs < 0 || f.gapMs > kAddedSilenceOnceLimitMs))
                faults << QStringLiteral("%1: heard %2 ms after the previous file's end").arg(name).arg(f.gapMs, 0, 'f', 2);
            if (!(f.noticeErrorMs >= 0 && f.noticeErrorMs <= 20))
                faults << QStringLiteral("%1: completion notice %2 ms after its heard end").arg(name).arg(f.noticeErrorMs, 0, 'f', 2);
        }
        QCOMPARE(run.turns.size(), size_t(1));
        for (const HeardTurn& t : run.turns) {
            if (!t.happened)
                faults << QStringLiteral("%1:%2: no turn").arg(t.sora).arg(t.aya);
            else if (t.lateMs < -20 || t.lateMs > kTurnLateLimitMs)
                faults << QStringLiteral("%1:%2: turn %3 ms after its heard word").arg(t.sora).arg(t.aya).arg(t.lateMs, 0, 'f', 2);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("\n  ") + faults.join(QStringLiteral("\n  "))));
    }

private:
    // With ZELAN_HEARD_KEEP set to a folder, the recording goes there (heard.raw) with the list
    // of its files (heard.files), for heardalign or a closer look.
    static void keepRecording(const HeardRun& run) {
        const QString folder = qEnvironmentVariable("ZELAN_HEARD_KEEP");
        if (folder.isEmpty())
            return;
        QFile raw(folder + QStringLiteral("/heard.raw"));
        if (raw.open(QIODevice::WriteOnly))
            raw.write(reinterpret_cast<const char*>(run.recording.data()), qint64(run.recording.size() * 2));
        QFile list(folder + QStringLiteral("/heard.files"));
        if (list.open(QIODevice::WriteOnly))
            for (const HeardFile& f : run.files)
                list.write(f.path.toUtf8() + '\n');
    }

    QString m_folder;
    QString m_previous;
    QString m_server;
    QStringList m_messages;
    std::unique_ptr<Truvo_frm> m_window;
};

ZELAN_TEST_CLASS(HeardTest)
#include "tst_heard.moc"
