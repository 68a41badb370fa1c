#include "programfolder.h"
#include "testmain.h"

#include "designresources.h"
#include "errormsg.h"
#include "imagecontrol.h"
#include "messageloc.h"
#include "messages.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The error popup and the location message over the picture libraries of the program folder
// (ZELAN_PROGRAM_DIR), in both languages, shown through the modal seam as their callers show
// them.
class WindowsLibrariesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ZELAN_ENTER_PROGRAM_FOLDER(m_folder, m_previous);
        zelan::design::initDesignResources();
    }
    void cleanupTestCase() {
        zelan::ui::setModalHook({});
        if (!m_previous.isEmpty())
            QDir::setCurrent(m_previous);
    }

    void languages_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("suffix");
        QTest::addRow("Arabic") << zelan::ui::kArabic << "ara";
        QTest::addRow("Russian") << zelan::ui::kRussian << "rus";
    }
    void languages() {
        QFETCH(int, code);
        QFETCH(QString, suffix);
        const zelan::ui::PictureLibrary library = zelan::ui::loadPictureLibrary(code);
        QVERIFY(library);
        const QString shots = qEnvironmentVariable("ZELAN_WINDOWS_SCREENSHOTS");
        if (!shots.isEmpty())
            QDir().mkpath(shots);

        // The location message: its line and caption from strings 153 and 156, the face and
        // size from 132 and 134, the tick glyph designed into the window.
        int shown = 0;
        zelan::ui::setModalHook([&](QDialog* dialog) {
            auto* message = qobject_cast<Tmessage_loc_frm*>(dialog);
            if (!message)
                return 0;
            ++shown;
            [&] {
                QCOMPARE(message_loc_frm, message);
                QCOMPARE(message->information_lb->text(), *library->string(153));
                QVERIFY(!message->information_lb->text().isEmpty());
                QCOMPARE(message->ok_bt->text(), *library->string(156));
                QCOMPARE(message->information_lb->font().family(), *library->string(132));
                QCOMPARE(message->ok_bt->font().pointSize(), library->string(134)->toInt());
                QVERIFY(!message->ok_bt->icon().isNull());
            }();
            message->show();
            if (!shots.isEmpty())
                message->grab().save(QStringLiteral("%1/location_%2.png").arg(shots, suffix));
            QTest::mouseClick(message->ok_bt, Qt::LeftButton);
            return 0;
        });
        showLocationMessage(nullptr, library);
        QCOMPARE(shown, 1);
        QVERIFY(!message_loc_frm);

        // The error popup: the window takes the size of picture 538.
        zelan::ui::setModalHook([&](QDialog* dialog) {
            auto* popup = qobject_cast<TerrorMsg_frm*>(dialog);
            if (!popup)
                return 0;
            ++shown;
            [&] {
                QCOMPARE(errorMsg_frm, popup);
                QCOMPARE(popup->size(), popup->errorMsg_im->picture().size());
                QVERIFY(!popup->errorMsg_im->picture().isNull());
                QVERIFY(!popup->cancelButton_im->picture().isNull());
            }();
            popup->show();
            if (!shots.isEmpty())
                popup->grab().save(QStringLiteral("%1/error_%2.png").arg(shots, suffix));
            popup->cancelButton_imClick();
            while (popup->Timer2->isActive())
                popup->Timer2Timer();
            return 0;
        });
        showErrorPopup(nullptr, library);
        QCOMPARE(shown, 2);
        QVERIFY(!errorMsg_frm);
    }

private:
    QString m_folder;
    QString m_previous;
};

ZELAN_TEST_CLASS(WindowsLibrariesTest)
#include "tst_windows_libraries.moc"
