#include "designresources.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "ruvo.h"
#include "testmain.h"
#include "transoptions.h"
#include "viewerfixture.h"

#include <QScopeGuard>
#include <QTest>

// The main window's print button opens the print options modally, owned by the main window,
// as trans_options_frm while it is shown, and forgets it when the modal run ends.
class TestPrintButton : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { zelan::design::initDesignResources(); }

    void printButtonOpensTheOptions() {
        viewerfixture::Folder folder;
        languageCode = zelan::ui::kArabic;
        Truvo_frm w(nullptr);
        int runs = 0;
        bool sameInstance = false;
        QWidget* owner = nullptr;
        zelan::ui::setModalHook([&](QDialog* dialog) {
            ++runs;
            auto* options = qobject_cast<Ttrans_options_frm*>(dialog);
            sameInstance = options && options == trans_options_frm;
            owner = dialog->parentWidget();
            return 0;
        });
        const auto unhook = qScopeGuard([] { zelan::ui::setModalHook({}); });
        w.printTargama_imClick();
        QCOMPARE(runs, 1);
        QVERIFY(sameInstance);
        QCOMPARE(owner, &w);
        QCOMPARE(trans_options_frm, nullptr);
        QVERIFY(w.findChildren<Ttrans_options_frm*>().isEmpty()); // destroyed after the run
    }
};

ZELAN_TEST_CLASS(TestPrintButton)
#include "tst_printbutton.moc"
