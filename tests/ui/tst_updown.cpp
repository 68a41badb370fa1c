#include "testmain.h"

#include "updown.h"

#include <QSignalSpy>
#include <QTest>

using zelan::ui::UpDown;

class UpDownTest : public QObject {
    Q_OBJECT

private slots:
    // A click moves the position by one within the limits, never wraps, and always signals,
    // so the window copies the position into its box even at a limit.
    void clicksStayWithinTheLimits() {
        UpDown spinner;
        spinner.resize(14, 20);
        spinner.setRange(0, 2);
        spinner.setPosition(1);
        spinner.show();
        QSignalSpy clicks(&spinner, &UpDown::clicked);
        const QPoint up(7, 3), down(7, 17);
        const struct {
            QPoint at;
            int position;
        } steps[] = {{up, 2}, {up, 2}, {down, 1}, {down, 0}, {down, 0}};
        for (const auto& step : steps) {
            QTest::mouseClick(&spinner, Qt::LeftButton, {}, step.at);
            QCOMPARE(spinner.position(), step.position);
        }
        QCOMPARE(clicks.count(), 5);
        QCOMPARE(clicks.at(0).at(0).value<UpDown::Button>(), UpDown::Button::Up);
        QCOMPARE(clicks.at(4).at(0).value<UpDown::Button>(), UpDown::Button::Down);

        // A disabled spinner does nothing; new limits pull the position inside them.
        spinner.setEnabled(false);
        QTest::mouseClick(&spinner, Qt::LeftButton, {}, up);
        QCOMPARE(clicks.count(), 5);
        spinner.setRange(3, 9);
        QCOMPARE(spinner.position(), 3);
        spinner.setPosition(40);
        QCOMPARE(spinner.position(), 9);
    }
};

ZELAN_TEST_CLASS(UpDownTest)

#include "tst_updown.moc"
