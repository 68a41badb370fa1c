// The turns of an imported voice against known truth, over the program folder's data: the
// ayas that run over between halves, spoken by another synthetic voice of the data set
// (whose word starts the builder recorded), made slower and higher with sox, with silence at
// both ends and quiet noise, at 44.1 kHz stereo and 128 kbit/s as collections are.

#include "turns.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace zelan::importer;

namespace {

constexpr double kTempo = 0.8;  // slower by a fifth
constexpr double kLeadMs = 400; // silence before
constexpr double kTailMs = 300; // and after

QJsonObject readJson(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

bool tool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class StandInTest : public QObject {
    Q_OBJECT

private slots:
    void turnsOfAnotherVoice() {
        const QString program = qEnvironmentVariable("ZELAN_PROGRAM_DIR");
        if (!QFileInfo::exists(program + QStringLiteral("/.datagen/sounds.json"))) {
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_PROGRAM"))
                QFAIL("no program folder");
            QSKIP("the program folder has not been built (scripts/build-data)");
        }
        for (const char* name : {"sox", "lame"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
                QSKIP("sox or lame is not installed (scripts/install installs them)");
        }
        QString error;
        const std::optional<std::vector<Turn>> synthetic = syntheticTurns(program, &error);
        QVERIFY2(synthetic && !synthetic->empty(), qPrintable(error));
        // The truth: slot 3's voice, where its word events put the second half's first word.
        const QJsonObject sounds = readJson(program + QStringLiteral("/.datagen/sounds.json"))
                                       .value(QLatin1String("sounds"))
                                       .toObject();
        const QJsonArray splits = readJson(program + QStringLiteral("/.datagen/pages.json"))
                                      .value(QLatin1String("splits"))
                                      .toArray();
        QTemporaryDir work;
        std::map<std::pair<int, int>, QString> files;
        std::map<std::pair<int, int>, double> truth;
        for (const QJsonValue& value : splits) {
            const QJsonArray split = value.toArray();
            const int sura = split.at(0).toInt(), aya = split.at(1).toInt(), word = split.at(3).toInt();
            const QString source =
                QStringLiteral("%1/Translations/Sound_aya/sora%2/Tivlo/Sarnex/a%3.mp3").arg(program).arg(sura).arg(aya);
            const QJsonArray starts = sounds.value(QFileInfo(source).absoluteFilePath())
                                          .toObject()
                                          .value(QLatin1String("info"))
                                          .toObject()
                                          .value(QLatin1String("wordStartMs"))
                                          .toArray();
            QVERIFY2(word < starts.size() && starts.at(word).toInt() >= 0, qPrintable(source));
            truth[{sura, aya}] = kLeadMs + starts.at(word).toInt() / kTempo;
            const QString stem = work.filePath(QStringLiteral("%1_%2").arg(sura).arg(aya));
            const QString plain = stem + QStringLiteral(".wav"), changed = stem + QStringLiteral("_t.wav");
            QVERIFY(tool(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), source, plain}));
            QVERIFY(tool(QStringLiteral("sox"),
                         {plain, QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"), QStringLiteral("2"),
                          changed, QStringLiteral("tempo"), QStringLiteral("-s"), QString::number(kTempo),
                          QStringLiteral("pitch"), QStringLiteral("200"), QStringLiteral("pad"),
                          QString::number(kLeadMs / 1000), QString::number(kTailMs / 1000)}));
            QProcess length;
            length.start(QStringLiteral("soxi"), {QStringLiteral("-D"), changed});
            QVERIFY(length.waitForFinished());
            const QString seconds = QString::fromUtf8(length.readAll()).trimmed();
            const QString noise = stem + QStringLiteral("_n.wav"), mixed = stem + QStringLiteral("_m.wav");
            QVERIFY(tool(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                                                 QStringLiteral("-c"), QStringLiteral("2"), noise,
                                                 QStringLiteral("synth"), seconds, QStringLiteral("whitenoise"),
                                                 QStringLiteral("vol"), QStringLiteral("0.004")}));
            QVERIFY(tool(QStringLiteral("sox"), {QStringLiteral("-m"), changed, noise, mixed}));
            const QString mp3 = work.filePath(QStringLiteral("%1%2.mp3").arg(sura, 3, 10, QLatin1Char('0')).arg(aya, 3, 10, QLatin1Char('0')));
            QVERIFY(tool(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), mixed, mp3}));
            files[{sura, aya}] = mp3;
        }
        const std::vector<Turn> turns = estimateTurns(program, *synthetic, files);
        QCOMPARE(turns.size(), files.size());
        std::vector<double> errors;
        for (const Turn& turn : turns)
            errors.push_back(std::abs(turn.timedelayMs - truth.at({turn.sura, turn.aya})));
        std::sort(errors.begin(), errors.end());
        const double median = errors[errors.size() / 2], worst = errors.back();
        const auto within = std::count_if(errors.begin(), errors.end(), [](double e) { return e <= 120; });
        qInfo("%zu turns: median error %.1f ms, worst %.1f ms, %d within 120 ms", errors.size(), median, worst,
              int(within));
        QVERIFY2(within * 10 >= qsizetype(errors.size()) * 9, qPrintable(QString::number(within)));
        QVERIFY2(worst <= 300, qPrintable(QString::number(worst)));
    }
};

ZELAN_TEST_CLASS(StandInTest)
#include "tst_standin.moc"
