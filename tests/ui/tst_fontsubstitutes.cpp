#include "testmain.h"

#include "fontsubstitutes.h"

#include <QFontInfo>
#include <QTest>

using namespace zelan::ui;

class FontSubstitutesTest : public QObject {
    Q_OBJECT

private slots:
    // Each designed face resolves to its installed stand-in, not to an arbitrary fallback.
    void designedFacesResolveToTheirStandIns_data() {
        QTest::addColumn<QString>("designed");
        QTest::addColumn<QString>("installed");
        for (const auto& [designed, installed] : fontSubstitutes())
            QTest::addRow("%s", qPrintable(designed)) << designed << installed;
    }
    void designedFacesResolveToTheirStandIns() {
        QFETCH(QString, designed);
        QFETCH(QString, installed);
        installFontSubstitutes();
        QCOMPARE(QFontInfo(QFont(designed)).family(), installed);
    }
};

ZELAN_TEST_CLASS(FontSubstitutesTest)
#include "tst_fontsubstitutes.moc"
