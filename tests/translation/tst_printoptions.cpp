#include "imagecontrol.h"
#include "messages.h"
#include "picturelist.h"
#include "printfixture.h"
#include "printrun.h"
#include "programfolder.h"
#include "testmain.h"
#include "transoptions.h"
#include "updown.h"

#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QScopeGuard>
#include <QTest>
#include <memory>
#include <stdexcept>

using printfixture::transTempKeys;
using zelan::report::BandType;

namespace {

// Sets the two sides of the options window as the user would: the list item, then the text
// typed into the aya box.
void choose(Ttrans_options_frm& w, int startItem, const QString& startAya, int endItem,
            const QString& endAya) {
    w.startSora_cb->setCurrentIndex(startItem);
    w.startSora_cbChange();
    w.endSora_cb->setCurrentIndex(endItem);
    w.endSora_cbChange();
    w.startAya_ed->setText(startAya);
    w.endAya_ed->setText(endAya);
}

// The texts of an element in the child bands of the prepared report, separated by blanks.
QString childTexts(const QString& element) {
    QStringList texts;
    for (const auto& page : trans_rep_fm->QuickRep1.pages()) {
        for (const auto& band : page.bands) {
            if (band.type != BandType::Child)
                continue;
            for (const auto& e : band.elements) {
                if (e.name == element)
                    texts.append(e.text);
            }
        }
    }
    return texts.join(QLatin1Char(' '));
}

} // namespace

class TestPrintOptions : public QObject {
    Q_OBJECT

    std::unique_ptr<printfixture::Folder> m_folder;
    int m_previews = 0;
    QStringList m_messages;
    std::function<void(QPrintPreviewDialog*)> m_onPreview;

    void useFolder(printfixture::Options options) {
        m_folder.reset();
        m_folder = std::make_unique<printfixture::Folder>(options);
    }

private slots:
    void init() {
        m_previews = 0;
        m_messages.clear();
        m_onPreview = nullptr;
        zelan::ui::setModalHook([this](QDialog* dialog) {
            if (auto* preview = qobject_cast<QPrintPreviewDialog*>(dialog)) {
                ++m_previews;
                if (m_onPreview)
                    m_onPreview(preview);
            }
            return 0;
        });
        zelan::ui::setMessageHook(
            [this](const QString& text, const QString&, zelan::ui::MessageKind) { m_messages.append(text); });
    }
    void cleanup() {
        m_folder.reset();
        zelan::ui::setModalHook({});
        zelan::ui::setMessageHook({});
    }

    void run_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("startAya");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("endAya");
        QTest::addColumn<QString>("run");
        QTest::addRow("forward") << 80 << 3 << 114 << 2 << "80:3 114:2";
        QTest::addRow("backward") << 80 << 3 << 78 << 38 << "78:38 80:3";
        QTest::addRow("one sura") << 1 << 5 << 1 << 2 << "1:2 1:5";
        QTest::addRow("sura 1 last") << 79 << 4 << 1 << 6 << "1:6 79:4";
    }
    void run() {
        QFETCH(int, start);
        QFETCH(int, startAya);
        QFETCH(int, end);
        QFETCH(int, endAya);
        QFETCH(QString, run);
        const auto r = zelan::translation::printRun(start, startAya, end, endAya);
        QCOMPARE(
            QStringLiteral("%1:%2 %3:%4").arg(r.first.sora).arg(r.first.aya).arg(r.last.sora).arg(r.last.aya),
            run);
    }

    // OK sets the sura filter and copies the keys of the chosen ayas into transTemp.db, by
    // key: a middle sura's opening formula is inside the run, the first sura's is not.
    void selection_data() {
        QTest::addColumn<bool>("ayaZero");
        QTest::addColumn<int>("startItem");
        QTest::addColumn<QString>("startAya");
        QTest::addColumn<int>("endItem");
        QTest::addColumn<QString>("endAya");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("ends"); // first and last key
        QTest::addColumn<QString>("keys"); // every key, for the short runs
        for (const bool zero : {true, false}) {
            const char* z = zero ? "with aya 0" : "without aya 0";
            QTest::addRow("1 to 80, %s", z)
                << zero << 0 << "1" << 3 << "1"
                << "soranum = 1  or (soranum >=78 and soranum <=80)" << (zero ? 97 : 94) << "1:1 80:1"
                << "";
            QTest::addRow("80 to 78, %s", z)
                << zero << 3 << "3" << 1 << "38"
                << "soranum >= 78 AND soranum <= 80" << (zero ? 54 : 52) << "78:38 80:3"
                << "";
            QTest::addRow("113 to 1, %s", z)
                << zero << 36 << "2" << 0 << "7"
                << "soranum = 1  or (soranum >=78 and soranum <=113)"
                << (zero ? 1 + 41 + 47 + 43 + 3 : 1 + 40 + 46 + 42 + 2) << "1:7 113:2"
                << "";
            QTest::addRow("sura 1 ayas 5 and 2, %s", z) << zero << 0 << "5" << 0 << "2"
                                                        << "soranum >= 1 AND soranum <= 1" << 4 << "1:2 1:5"
                                                        << "1:2 1:3 1:4 1:5";
            QTest::addRow("78 ayas 1 to 5, %s", z) << zero << 1 << "1" << 1 << "5"
                                                   << "soranum >= 78 AND soranum <= 78" << 5 << "78:1 78:5"
                                                   << "78:1 78:2 78:3 78:4 78:5";
            QTest::addRow("78:40 to 79:1, %s", z)
                << zero << 1 << "40" << 2 << "1"
                << "soranum >= 78 AND soranum <= 79" << (zero ? 3 : 2) << "78:40 79:1"
                << (zero ? "78:40 79:0 79:1" : "78:40 79:1");
            QTest::addRow("typed aya 0, %s", z)
                << zero << 1 << "0" << 1 << "1"
                << "soranum >= 78 AND soranum <= 78" << (zero ? 2 : 1) << (zero ? "78:0 78:1" : "78:1 78:1")
                << (zero ? "78:0 78:1" : "78:1");
        }
    }
    void selection() {
        QFETCH(bool, ayaZero);
        QFETCH(int, startItem);
        QFETCH(QString, startAya);
        QFETCH(int, endItem);
        QFETCH(QString, endAya);
        QFETCH(QString, filter);
        QFETCH(int, count);
        QFETCH(QString, ends);
        QFETCH(QString, keys);
        useFolder({ayaZero});
        Ttrans_options_frm w(nullptr);
        choose(w, startItem, startAya, endItem, endAya);
        QString filterDuringPreview;
        bool linkedDuringPreview = false;
        m_onPreview = [&](QPrintPreviewDialog*) {
            filterDuringPreview = trans_dm_fm->Translations_tb->filter();
            linkedDuringPreview =
                trans_dm_fm->Translations_tb->masterSource() == &trans_dm_fm->transTemp_sr &&
                trans_dm_fm->Translations_tb->masterFields() == QLatin1String("soranum;ayanum");
        };
        w.okButton_imClick();
        QCOMPARE(m_previews, 1);
        QCOMPARE(filterDuringPreview, filter);
        QVERIFY(linkedDuringPreview);
        // After the preview the link is gone and the range filter stays.
        QCOMPARE(trans_dm_fm->Translations_tb->masterSource(), nullptr);
        QCOMPARE(trans_dm_fm->Translations_tb->masterFields(), QString());
        QCOMPARE(trans_dm_fm->Translations_tb->filter(), filter);
        const QStringList printed = transTempKeys().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), count);
        QCOMPARE(printed.first() + QLatin1Char(' ') + printed.last(), ends);
        if (!keys.isEmpty())
            QCOMPARE(printed.join(QLatin1Char(' ')), keys);
        // The report ran over the same keys.
        QCOMPARE(childTexts(QStringLiteral("QRDBText1")).split(QLatin1Char(' ')).size(), count);
    }

    void wholePortionSelectsEveryRecord() {
        useFolder({true});
        Ttrans_options_frm w(nullptr);
        choose(w, 0, QStringLiteral("1"), 37, QStringLiteral("6"));
        w.okButton_imClick();
        QStringList all;
        for (const auto& [sora, aya] : m_folder->keys)
            all.append(QStringLiteral("%1:%2").arg(sora).arg(aya));
        QCOMPARE(transTempKeys(), all.join(QLatin1Char(' ')));
    }

    // The same over the program's own data set, when it has been built.
    void wholePortionOfTheProgramFolder() {
        QString folder, previous;
        ZELAN_ENTER_PROGRAM_FOLDER(folder, previous);
        const auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
        // transTemp.db of the program folder is not changed: the print works on a copy.
        QTemporaryDir copy;
        QDir().mkpath(copy.filePath(QStringLiteral("trans_RUS")));
        for (const char* table : {"Translations.db", "transTemp.db"})
            QVERIFY(QFile::copy(folder + QStringLiteral("/trans_RUS/") + QString::fromLatin1(table),
                                copy.filePath(QStringLiteral("trans_RUS/") + QString::fromLatin1(table))));
        QVERIFY(QDir::setCurrent(copy.path()));
        pictureLibrary = zelan::reslib::ResourceLibrary::load(folder + QStringLiteral("/Ara2/zelan_ara.dll"));
        trans_dm_fm = new Ttrans_dm_fm();
        trans_rep_fm = new Ttrans_rep_fm();
        const auto release = qScopeGuard([] {
            delete trans_rep_fm;
            trans_rep_fm = nullptr;
            delete trans_dm_fm;
            trans_dm_fm = nullptr;
            pictureLibrary.reset();
        });
        const int records = trans_dm_fm->Translations_tb->recordCount();
        Ttrans_options_frm w(nullptr);
        choose(w, 0, QStringLiteral("1"), 37, QStringLiteral("6"));
        w.okButton_imClick();
        QCOMPARE(transTempKeys().split(QLatin1Char(' ')).size(), records);
        QVERIFY(records >= 571);
    }

    // A second OK empties transTemp.db first: no key of the first print remains.
    void secondPrintEmptiesTheKeys() {
        useFolder({true});
        Ttrans_options_frm w(nullptr);
        choose(w, 1, QStringLiteral("1"), 1, QStringLiteral("5"));
        w.okButton_imClick();
        choose(w, 0, QStringLiteral("2"), 0, QStringLiteral("3"));
        w.okButton_imClick();
        QCOMPARE(transTempKeys(), QStringLiteral("1:2 1:3"));
        QCOMPARE(m_previews, 2);
    }

    // The opening formula prints "--" in the aya cell; its sura prints as it is.
    void ayaZeroPrintsDashes() {
        useFolder({true});
        Ttrans_options_frm w(nullptr);
        choose(w, 1, QStringLiteral("40"), 2, QStringLiteral("1"));
        w.okButton_imClick();
        QCOMPARE(childTexts(QStringLiteral("ayaNum_qrt")), QStringLiteral("40 -- 1"));
        QCOMPARE(childTexts(QStringLiteral("QRDBText1")), QStringLiteral("78 79 79"));
    }

    // A translation picture that does not decode prints an empty box of the design height:
    // the picture of the aya before must not stand above this aya's numbers.
    void damagedPictureLeavesTheBoxEmpty() {
        useFolder({true, QStringLiteral("178"), {{78, 2}}});
        Ttrans_options_frm w(nullptr);
        choose(w, 1, QStringLiteral("1"), 1, QStringLiteral("3"));
        w.okButton_imClick();
        std::vector<const zelan::report::PlacedBand*> details;
        for (const auto& band : trans_rep_fm->QuickRep1.pages().at(0).bands) {
            if (band.type == BandType::Detail)
                details.push_back(&band);
        }
        QCOMPARE(details.size(), size_t(3));
        QVERIFY(!details[0]->elements[0].picture.isNull());
        QVERIFY(details[1]->elements[0].picture.isNull());
        QCOMPARE(details[1]->height, 15.6);
        QVERIFY(!details[2]->elements[0].picture.isNull());
        QCOMPARE(childTexts(QStringLiteral("ayaNum_qrt")), QStringLiteral("1 2 3"));
    }

    // A run without records (ayas past the end of the sura) prints the title and the footer.
    void emptyRunPrintsTitleAndFooter() {
        useFolder({true});
        Ttrans_options_frm w(nullptr);
        choose(w, 0, QStringLiteral("9"), 0, QStringLiteral("8"));
        w.okButton_imClick();
        QCOMPARE(transTempKeys(), QString());
        QCOMPARE(m_previews, 1);
        QCOMPARE(trans_rep_fm->QuickRep1.pages().size(), size_t(1));
        QStringList names;
        for (const auto& band : trans_rep_fm->QuickRep1.pages()[0].bands)
            names.append(band.name);
        QCOMPARE(names, (QStringList{"TitleBand1", "PageFooterBand1"}));
    }

    // Aya text that is no integer shows the conversion error naming the text and prints
    // nothing: no preview, the keys of the last print stay.
    void nonIntegerAya_data() {
        QTest::addColumn<QString>("startAya");
        QTest::addColumn<QString>("endAya");
        QTest::addColumn<QString>("message");
        QTest::addRow("start") << "abc"
                               << "5"
                               << "'abc' is not a valid integer value";
        QTest::addRow("end") << "1"
                             << "4x"
                             << "'4x' is not a valid integer value";
        QTest::addRow("empty") << ""
                               << "5"
                               << "'' is not a valid integer value";
    }
    void nonIntegerAya() {
        QFETCH(QString, startAya);
        QFETCH(QString, endAya);
        QFETCH(QString, message);
        useFolder({true});
        Ttrans_options_frm w(nullptr);
        choose(w, 0, QStringLiteral("2"), 0, QStringLiteral("3"));
        w.okButton_imClick();
        const QString filter = trans_dm_fm->Translations_tb->filter();
        choose(w, 1, startAya, 2, endAya);
        w.okButton_imClick();
        QCOMPARE(m_messages, QStringList{message});
        QCOMPARE(m_previews, 1);
        QCOMPARE(transTempKeys(), QStringLiteral("1:2 1:3"));
        QCOMPARE(trans_dm_fm->Translations_tb->filter(), filter);
    }

    // The lists and aya panels stand where the interface language puts them, each aya panel
    // beside its own sura list in the reading order of the language; another code keeps the
    // design places.
    void layoutByLanguage_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QList<int>>("lefts"); // startSora_cb, startAya_pn, endSora_cb, endAya_pn
        QTest::addRow("arabic") << 1101 << QList<int>{453, 362, 113, 23};
        QTest::addRow("russian") << 1102 << QList<int>{98, 290, 432, 626};
        QTest::addRow("other") << 0 << QList<int>{432, 290, 98, 626};
    }
    void layoutByLanguage() {
        QFETCH(int, code);
        QFETCH(QList<int>, lefts);
        useFolder({true});
        languageCode = code;
        Ttrans_options_frm w(nullptr);
        w.show(); // runs FormShow and FormActivate
        QCOMPARE((QList<int>{w.startSora_cb->x(), w.startAya_pn->x(), w.endSora_cb->x(), w.endAya_pn->x()}),
                 lefts);
        QCOMPARE(w.size(), QSize(713, 271));
        QCOMPARE(w.font().family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(w.okButton_im->pos(), QPoint(538, 165));
        QCOMPARE(w.okButton_im->size(), QSize(90, 40)); // picture 467 loaded
        QCOMPARE(w.startSora_cb->count(), 38);
        QCOMPARE(w.printSoraPictures[1].pixelColor(5, 5).red(), printfixture::libraryColour(410).red());
        languageCode = zelan::ui::kArabic;
    }

    void charsetThatIsNoNumber() {
        useFolder({true, QStringLiteral("arabic")});
        Ttrans_options_frm w(nullptr);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, w.FormActivate());
    }

    // A sura change resets the side's aya to 1 with the sura's aya count as the limit; the
    // spinner never goes past that count.
    void spinnersFollowTheSura() {
        useFolder({true});
        Ttrans_options_frm w(nullptr);
        w.endSora_cb->setCurrentIndex(37); // sura 114, six ayas
        w.endSora_cbChange();
        QCOMPARE(w.endSora, 114);
        QCOMPARE(w.endAya_ud->maximum(), 6);
        for (int i = 0; i < 8; ++i)
            QTest::mouseClick(w.endAya_ud, Qt::LeftButton, {}, QPoint(7, 3));
        QCOMPARE(w.endAya_ed->text(), QStringLiteral("6"));
        w.startSora_cb->setCurrentIndex(1);
        w.startSora_cbChange();
        QCOMPARE(w.startSora, 78);
        QCOMPARE(w.startAya_ud->maximum(), 40);
        QCOMPARE(w.startAya_ed->text(), QStringLiteral("1"));
        QCOMPARE(w.endAya_ed->text(), QStringLiteral("6")); // the other side is left alone
    }
};

ZELAN_TEST_CLASS(TestPrintOptions)
#include "tst_printoptions.moc"
