#include "heardrun.h"

#include "platform/media/mediadevice.h"
#include "platform/media/sounddecoder.h"
#include "ruvo.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QRadioButton>
#include <QTimer>

#include <sqlite3.h>

#include <map>

namespace zelan::listening {

namespace {

double ms(double samples) { return samples * 1000.0 / kRate; }

// A read-only query of one of the program's tables, rows as text.
std::vector<QStringList> query(const QString& database, const char* sql, QString* error) {
    std::vector<QStringList> rows;
    sqlite3* db = nullptr;
    const QByteArray path = QDir::current().filePath(database).toLocal8Bit();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("cannot open %1: %2").arg(database, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("cannot read %1: %2").arg(database, QString::fromUtf8(sqlite3_errmsg(db)));
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
            rows.push_back(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

// Times the completion notices as the window's receivers get them (before their handlers),
// and the half turns of the half-turn timer as the window has shown them.
class Watcher : public QObject {
public:
    Watcher(Truvo_frm& window) : m_window(window) {
        QCoreApplication::instance()->installEventFilter(this);
        window.delayAya_tm->installEventFilter(this);
        // Connected after the window's own handler, so it runs once the turn has been shown.
        m_turnCheck = QObject::connect(window.delayAya_tm, &QTimer::timeout, this, [this] {
            if (std::pair(m_window.currentPage, m_window.currentHalf) != m_beforeTick)
                turns.push_back({steadyNowNs(), m_window.currentSora, m_window.currentAya});
        });
    }
    ~Watcher() override {
        QObject::disconnect(m_turnCheck);
        QCoreApplication::instance()->removeEventFilter(this);
    }

    struct Turn {
        std::int64_t ns;
        int sora, aya;
    };
    std::vector<std::int64_t> notices; // Successful notices, in the order they came
    std::vector<Turn> turns;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == zelan::media::CompletionEvent::eventType()) {
            if (static_cast<zelan::media::CompletionEvent*>(event)->notify() == zelan::media::MediaDevice::Successful)
                notices.push_back(steadyNowNs());
        } else if (event->type() == QEvent::Timer && watched == m_window.delayAya_tm) {
            m_beforeTick = {m_window.currentPage, m_window.currentHalf};
        }
        return false;
    }

private:
    Truvo_frm& m_window;
    std::pair<int, int> m_beforeTick;
    QMetaObject::Connection m_turnCheck;
};

// Runs the event loop until `done` says so or `timeoutMs` have passed; false on the timeout.
template <class Done>
bool runUntil(Done done, int timeoutMs) {
    const std::int64_t deadline = steadyNowNs() + std::int64_t(timeoutMs) * 1000000;
    QEventLoop loop;
    QTimer check;
    check.setInterval(2);
    bool met = done();
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        met = done();
        if (met || steadyNowNs() > deadline)
            loop.quit();
    });
    if (!met) {
        check.start();
        loop.exec();
    }
    return met;
}

} // namespace

std::vector<RunningOver> runningOverAyas(QString* error) {
    std::vector<RunningOver> ayas;
    const auto rows = query(QStringLiteral("trans_RUS/LINES_ruvo.DB"),
                            "select distinct soranum, ayanum, timedelay, totalAyaTime from LINES_ruvo "
                            "where lastaya = 1 and timedelay > 0 and totalAyaTime > 0 order by soranum, ayanum",
                            error);
    for (const QStringList& row : rows)
        ayas.push_back({row[0].toInt(), row[1].toInt(), row[2].toDouble() / row[3].toDouble()});
    return ayas;
}

HeardRun playAndListen(Truvo_frm& window, const QString& server, int sora, int aya, int files) {
    HeardRun run;
    QString error;
    const auto overs = runningOverAyas(&error);
    std::map<std::pair<int, int>, double> fractionOf;
    for (const RunningOver& o : overs)
        fractionOf[{o.sora, o.aya}] = o.fraction;
    const auto translations = query(QStringLiteral("trans_RUS/Translations.db"),
                                    qPrintable(QStringLiteral("select AyaNum, SoundTransFile from Translations "
                                                              "where SoraNum = %1 and LangNum = 23").arg(sora)),
                                    &error);
    if (!error.isEmpty()) {
        run.error = error;
        return run;
    }
    std::map<int, QString> translationOf;
    for (const QStringList& row : translations)
        translationOf[row[0].toInt()] = row[1];

    // The files the run should play, decoded.
    std::vector<zelan::media::DecodedSound> sounds;
    for (int k = 0; k < files; ++k) {
        HeardFile f;
        f.sora = sora;
        f.aya = aya + k / 2;
        f.translation = k % 2 == 1;
        f.path = f.translation ? QDir::currentPath() + QStringLiteral("/Translations/Sound_trans/Lang/russ/sora%1/%2")
                                                           .arg(sora)
                                                           .arg(translationOf[f.aya])
                               : window.ayaSoundFile(sora, f.aya);
        std::uint32_t code = 0;
        QString detail;
        auto sound = zelan::media::decodeSoundFile(f.path, &code, &detail);
        if (!sound || sound->sampleRate != kRate || sound->channels != 1) {
            run.error = QStringLiteral("%1 does not decode to %2 Hz mono (%3)").arg(f.path).arg(kRate).arg(detail);
            return run;
        }
        f.frames = sound->frames;
        sounds.push_back(std::move(*sound));
        run.files.push_back(f);
        if (!f.translation && fractionOf.count({sora, f.aya}))
            run.turns.push_back({sora, f.aya, false, NAN});
    }

    window.ayaAndTargamaSound_rb->setChecked(true);
    window.continuePlay_rb->setChecked(true);
    window.sora_cbChange(sora == 1 ? 0 : sora - 77);
    window.setAya(aya);
    window.showAyaPage();

    MonitorRecorder recorder;
    if (!recorder.start(server, &error)) {
        run.error = error;
        return run;
    }
    Watcher watcher(window);
    runUntil([] { return false; }, 300); // the recording settles
    const std::int64_t clicked = steadyNowNs();
    window.playAya_bt_imClick();
    double total = 0;
    for (const HeardFile& f : run.files)
        total += ms(double(f.frames));
    const bool allEnded = runUntil([&] { return int(watcher.notices.size()) >= files; }, int(total) + 10000);
    window.stop_bt_imClick();
    runUntil([] { return false; }, 300);
    recorder.stop();
    run.mapping = recorder.mapping();
    run.recording = recorder.samples();
    if (!allEnded)
        run.error = QStringLiteral("only %1 of %2 completion notices came").arg(watcher.notices.size()).arg(files);
    if (zelan::media::systemDevice().playsSilently())
        run.error = QStringLiteral("the sound device found no sound output: nothing was played into the server");
    if (!run.mapping.valid) {
        run.error = QStringLiteral("the recording could not be placed on the clock");
        return run;
    }

    // Each file where the previous one ended (the first where the click put it), give or take.
    std::int64_t expected = std::int64_t(recorder.sampleAtNs(double(clicked)));
    const std::int64_t slack = kRate;
    for (size_t k = 0; k < run.files.size(); ++k) {
        HeardFile& f = run.files[k];
        const std::span<const std::int16_t> sound(reinterpret_cast<const std::int16_t*>(sounds[k].pcm.constData()),
                                                  size_t(sounds[k].frames));
        // The first anywhere up to a few seconds after the click.
        const std::int64_t from = k == 0 ? 0 : expected - slack;
        const std::int64_t to = expected + (k == 0 ? 5 * slack : slack);
        f.match = findSound(run.recording, sound, from, to);
        if (!f.match || f.match->correlation < 0.5) {
            if (run.error.isEmpty())
                run.error = QStringLiteral("%1 was not found in the recording between %2 and %3 ms (of %4 ms)%5")
                                .arg(f.path)
                                .arg(ms(double(from)), 0, 'f', 0)
                                .arg(ms(double(to)), 0, 'f', 0)
                                .arg(ms(double(run.recording.size())), 0, 'f', 0)
                                .arg(f.match ? QStringLiteral("; the best place correlates at %1").arg(f.match->correlation) : QString());
            f.match.reset();
            break;
        }
        if (k > 0 && run.files[k - 1].match)
            f.gapMs = ms(double(f.match->start - run.files[k - 1].match->end()));
        if (k < watcher.notices.size())
            f.noticeErrorMs = (double(watcher.notices[k]) - recorder.playedAtNs(double(f.match->end()))) / 1e6;
        expected = f.match->end();
        if (k == 0)
            run.clickToHeardMs = (recorder.playedAtNs(double(f.match->start + f.match->soundBegin)) - double(clicked)) / 1e6;

        if (!f.translation && fractionOf.count({f.sora, f.aya})) {
            for (HeardTurn& t : run.turns) {
                if (t.sora != f.sora || t.aya != f.aya)
                    continue;
                const double word = recorder.playedAtNs(double(f.match->start) + fractionOf[{f.sora, f.aya}] * double(f.frames));
                for (const Watcher::Turn& seen : watcher.turns) {
                    if (seen.sora == f.sora && seen.aya == f.aya) {
                        t.happened = true;
                        t.lateMs = (double(seen.ns) - word) / 1e6;
                        break;
                    }
                }
            }
        }
    }
    return run;
}

QStringList describe(const HeardRun& run) {
    QStringList lines;
    if (!run.error.isEmpty())
        lines << run.error;
    lines << QStringLiteral("clock mapping: %1 reports (%2 left out), %3 ms off the line at most, %4 ns per sample")
                 .arg(run.mapping.reports)
                 .arg(run.mapping.delayedReports)
                 .arg(run.mapping.spreadMs, 0, 'f', 3)
                 .arg(run.mapping.nsPerSample, 0, 'f', 3);
    lines << QStringLiteral("the first sound heard %1 ms after the click").arg(run.clickToHeardMs, 0, 'f', 2);
    for (const HeardFile& f : run.files) {
        const QString name = QStringLiteral("%1%2:%3").arg(f.translation ? QStringLiteral("t") : QString()).arg(f.sora).arg(f.aya);
        if (!f.match) {
            lines << name + QStringLiteral(" not found");
            continue;
        }
        const Match& m = *f.match;
        lines << QStringLiteral("%1 heard %2 .. %3 ms, gap %4 ms, tail %5, %6, notice %7 ms after the heard end")
                     .arg(name, -6)
                     .arg(ms(double(m.start)), 9, 'f', 2)
                     .arg(ms(double(m.end())), 9, 'f', 2)
                     .arg(f.gapMs, 7, 'f', 2)
                     .arg(m.tailCorrelation, 0, 'f', 4)
                     .arg(m.exact ? QStringLiteral("exact")
                                  : QStringLiteral("differs from %1 ms of %2").arg(ms(double(m.firstDifference)), 0, 'f', 2).arg(ms(double(m.length)), 0, 'f', 2))
                     .arg(f.noticeErrorMs, 0, 'f', 2);
    }
    for (const HeardTurn& t : run.turns)
        lines << (t.happened ? QStringLiteral("turn in %1:%2 %3 ms after the heard word").arg(t.sora).arg(t.aya).arg(t.lateMs, 0, 'f', 2)
                             : QStringLiteral("turn in %1:%2 did not happen").arg(t.sora).arg(t.aya));
    return lines;
}

} // namespace zelan::listening
