#include "messages.h"
#include "testmain.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

using namespace zelan::ui;

class TestMessages : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void hookReceivesMessages();
    void messageBoxWithoutHook();
    void beepHook();
    void endHookObservesTheFirstRequest();
    void endsTheProgram_data();
    void endsTheProgram();
};

void TestMessages::cleanup() {
    setMessageHook({});
    setBeepHook({});
    setEndApplicationHook({});
}

void TestMessages::hookReceivesMessages() {
    QStringList seen;
    setMessageHook([&seen](const QString& text, const QString& caption, MessageKind kind) {
        seen << QStringLiteral("%1|%2|%3").arg(text, caption).arg(int(kind));
    });
    showMessage(QStringLiteral("first"));
    showMessage(QStringLiteral("second"), QStringLiteral("Title"), MessageKind::Information);
    QCOMPARE(seen, (QStringList{"first||2", "second|Title|0"}));
}

// With the hook removed the real box comes up: modal, with the application name as caption.
void TestMessages::messageBoxWithoutHook() {
    setMessageHook([](const QString&, const QString&, MessageKind) { QFAIL("the hook was not removed"); });
    setMessageHook({});
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    showMessage(QStringLiteral("Something failed"), {}, MessageKind::Warning);
    QCOMPARE(title, QCoreApplication::applicationName());
    QCOMPARE(text, QStringLiteral("Something failed"));
    QCOMPARE(icon, QMessageBox::Warning);
}

void TestMessages::beepHook() {
    int beeps = 0;
    setBeepHook([&beeps] { ++beeps; });
    beep();
    beep();
    QCOMPARE(beeps, 2);
}

void TestMessages::endHookObservesTheFirstRequest() {
    QList<int> codes;
    setEndApplicationHook([&codes](int code) { codes << code; });
    QVERIFY(!applicationEnding());
    endApplication();
    endApplication(5);
    QCOMPARE(codes, QList<int>{1});
    QVERIFY(applicationEnding());
    setEndApplicationHook({});
    QVERIFY(!applicationEnding());
}

void TestMessages::endsTheProgram_data() {
    QTest::addColumn<QString>("mode");
    QTest::addRow("before the loop starts") << "before-loop";
    QTest::addRow("inside the loop") << "in-loop";
    QTest::addRow("inside a nested loop") << "in-nested-loop";
    QTest::addRow("two requests, the first counts") << "twice";
}

// The real end runs in a program of its own: once QCoreApplication::exit() has run, every
// later event loop of the process returns at once.
void TestMessages::endsTheProgram() {
    QFETCH(QString, mode);
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(ZELAN_END_PROBE), {mode});
    QVERIFY(probe.waitForFinished(60000));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 7);
}

ZELAN_TEST_CLASS(TestMessages)
#include "tst_messages.moc"
