#include "indexfixture.h"
#include "programfolder.h"
#include "testmain.h"

#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "soraindex.h"

#include <QLabel>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSet>
#include <QTest>

#include <memory>

using namespace indexfixture;
using zelan::ui::ImageControl;

namespace {

// The main window's reading position as the index sees it: records every call, and whether
// the index was still visible when the page was asked for.
class FakeTarget : public SoraIndexTarget {
public:
    void setSora(int sora) override {
        calls << QStringLiteral("setSora %1").arg(sora);
        m_sora = sora;
    }
    int getSora() const override { return m_sora; }
    void setAya(int aya) override { calls << QStringLiteral("setAya %1").arg(aya); }
    void showAyaPage() override {
        calls << QStringLiteral("showAyaPage");
        indexVisibleAtPage = SoraIndex_frm && SoraIndex_frm->isVisible();
    }
    QStringList calls;
    bool indexVisibleAtPage = true;

private:
    int m_sora = 1;
};

const QStringList kStems = {QStringLiteral("soraName_lb"), QStringLiteral("soraNum_lb"), QStringLiteral("NumOfAya_lb"),
                            QStringLiteral("whereDescend_lb")};

// One shown row: the sura its cells stand for and the picture id its place cell shows
// (0 for none of 447 / 448).
struct Row {
    int sora;
    int place;
    bool operator==(const Row&) const = default;
};

// Cells of a shown row that disagree with each other; each test ends with none.
QStringList g_cellProblems;

// The rows of the page on show; notes rows whose four cells are not shown together or whose
// number label names another sura.
QList<Row> shownRows(const TSoraIndex_frm& index, const zelan::ui::PictureLibrary& library) {
    QList<Row> rows;
    for (int row = 1; row <= 15; ++row) {
        const bool visible = !index.cell(kStems[0], row)->isHidden();
        for (const QString& stem : kStems) {
            if (index.cell(stem, row)->isHidden() == visible)
                g_cellProblems << QStringLiteral("row %1: cells not shown together").arg(row);
        }
        if (!visible)
            continue;
        const int sora = TSoraIndex_frm::tagOf(index.cell(kStems[0], row));
        const auto* number = qobject_cast<QLabel*>(index.cell(kStems[1], row));
        if (number->text() != QString::number(sora))
            g_cellProblems << QStringLiteral("row %1: number %2 for sura %3").arg(row).arg(number->text()).arg(sora);
        const QImage place = static_cast<ImageControl*>(index.cell(kStems[3], row))->picture();
        rows.append({sora, place == shown(library, 447) ? 447 : place == shown(library, 448) ? 448 : 0});
    }
    return rows;
}

// Every row of the list, page after page, and the number of rows of each page.
QList<Row> allRows(TSoraIndex_frm& index, const zelan::ui::PictureLibrary& library, QList<int>* pageSizes = nullptr) {
    QList<Row> rows;
    for (int page = 1; page <= index.paging()->pageCount; ++page) {
        if (page > 1)
            index.nextSora_bt_imClick();
        const QList<Row> onPage = shownRows(index, library);
        if (pageSizes)
            pageSizes->append(int(onPage.size()));
        rows += onPage;
    }
    return rows;
}

QList<Row> expectedRows(const std::vector<Sora>& suras) {
    QList<Row> rows;
    for (const Sora& sora : suras)
        rows.append({sora.number, sora.place == 1 ? 447 : 448});
    return rows;
}

} // namespace

class SoraIndexTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        languageCode = zelan::ui::kArabic;
        m_library = library();
    }
    void cleanup() {
        zelan::ui::setModalHook({});
        languageCode = zelan::ui::kArabic;
        const QStringList problems = std::exchange(g_cellProblems, {});
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    // Pages of fifteen: the last one holds the rest, rows after it stay hidden, and no empty
    // page follows a list of exactly 15 k suras. Next on the last page and previous on the
    // first change nothing.
    void listIsPagedByFifteen_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QList<int>>("pageSizes");
        QTest::addRow("the whole portion") << 38 << QList<int>{15, 15, 8};
        QTest::addRow("no records") << 0 << QList<int>{};
        QTest::addRow("exactly one page") << 15 << QList<int>{15};
        QTest::addRow("exactly two pages") << 30 << QList<int>{15, 15};
        QTest::addRow("one over a page") << 16 << QList<int>{15, 1};
    }
    void listIsPagedByFifteen() {
        QFETCH(int, records);
        QFETCH(QList<int>, pageSizes);
        std::vector<Sora> suras = portion();
        suras.resize(size_t(records));
        Folder folder(suras);
        FakeTarget target;
        TSoraIndex_frm index(nullptr, m_library, target);
        index.show();
        pagingInfo& paging = *index.paging();
        QCOMPARE(paging.pageCount, int(pageSizes.size()));
        QCOMPARE(paging.shownPage, 1);

        QList<int> sizes;
        QCOMPARE(allRows(index, m_library, &sizes), expectedRows(suras));
        QCOMPARE(sizes, pageSizes);

        const int last = std::max(1, int(pageSizes.size()));
        QCOMPARE(paging.shownPage, last);
        const QList<Row> lastPage = shownRows(index, m_library);
        index.nextSora_bt_imClick();
        QCOMPARE(paging.shownPage, last);
        QCOMPARE(shownRows(index, m_library), lastPage);

        while (paging.shownPage > 1)
            index.prevSora_bt_imClick();
        const QList<Row> firstPage = shownRows(index, m_library);
        index.prevSora_bt_imClick();
        QCOMPARE(paging.shownPage, 1);
        QCOMPARE(shownRows(index, m_library), firstPage);
        QVERIFY(target.calls.isEmpty());
    }

    // Each list mode shows its suras in its order, from page 1; the place column shows 447 for
    // Makkah and 448 for Madinah. Makkan then Madinan, as a user clicks them.
    void listModes() {
        const std::vector<Sora> suras = portion();
        Folder folder(suras);
        FakeTarget target;
        TSoraIndex_frm index(nullptr, m_library, target);
        index.show();
        std::vector<Sora> makkan, madinan;
        for (const Sora& sora : suras)
            (sora.place == 1 ? makkan : madinan).push_back(sora);
        QCOMPARE(madinan.size(), size_t(3));

        index.nextSora_bt_imClick(); // leave page 1, so each mode must come back to it
        QTest::mouseClick(index.makkaSora_rb, Qt::LeftButton);
        QCOMPARE(index.paging()->shownPage, 1);
        QCOMPARE(allRows(index, m_library), expectedRows(makkan));
        QTest::mouseClick(index.madenahSora_rb, Qt::LeftButton);
        QCOMPARE(index.paging()->shownPage, 1);
        QCOMPARE(index.paging()->pageCount, 1);
        QCOMPARE(allRows(index, m_library), expectedRows(madinan));
        QVERIFY(!index.makkaSora_rb->isChecked());
        // A second click on the chosen place shows every sura again, the window still open.
        index.nextSora_bt_imClick();
        QTest::mouseClick(index.madenahSora_rb, Qt::LeftButton);
        QCOMPARE(allRows(index, m_library), expectedRows(suras));
        QVERIFY(!index.madenahSora_rb->isChecked() && !index.makkaSora_rb->isChecked());
        QVERIFY(index.isVisible());
        QTest::mouseClick(index.madenahSora_rb, Qt::LeftButton);
        QCOMPARE(allRows(index, m_library), expectedRows(madinan));

        index.whereDescend_rbClick();
        std::vector<Sora> revelation = makkan;
        revelation.insert(revelation.end(), madinan.begin(), madinan.end());
        QCOMPARE(allRows(index, m_library), expectedRows(revelation));

        index.zelanOrder_rbClick();
        QCOMPARE(allRows(index, m_library), expectedRows(suras));
    }

    // The row reads name, number, aya count, place in the language's direction.
    void columnsFollowTheLanguage_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QList<int>>("lefts"); // name, number, aya count, place
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::addRow("Arabic") << zelan::ui::kArabic << QList<int>{492, 405, 311, 176} << Qt::RightToLeft;
        QTest::addRow("Russian") << zelan::ui::kRussian << QList<int>{176, 311, 405, 492} << Qt::LeftToRight;
        QTest::addRow("another code keeps the design") << 0 << QList<int>{492, 405, 311, 176} << Qt::RightToLeft;
    }
    void columnsFollowTheLanguage() {
        QFETCH(int, code);
        QFETCH(QList<int>, lefts);
        QFETCH(Qt::LayoutDirection, direction);
        Folder folder(portion());
        languageCode = code;
        FakeTarget target;
        TSoraIndex_frm index(nullptr, m_library, target);
        for (int row : {1, 15}) {
            for (int column = 0; column < 4; ++column) {
                const QWidget* cell = index.cell(kStems[column], row);
                QCOMPARE(cell->x(), lefts[column]);
                QCOMPARE(cell->y(), (column == 0 || column == 3 ? 146 : 151) + 23 * (row - 1));
            }
            QCOMPARE(index.cell(kStems[1], row)->layoutDirection(), direction);
            QCOMPARE(index.cell(kStems[2], row)->layoutDirection(), direction);
        }
    }

    // A click on any cell of a row opens that row's sura: sura 1 at aya 1, any other at aya 0
    // (its opening formula). The index closes before the main window shows the page.
    void clickOnACellOpensItsSura_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("calls");
        QTest::addRow("name of sura 1") << 0 << 1 << 1
                                        << QStringList{"setSora 1", "setAya 1", "showAyaPage"};
        QTest::addRow("number of sura 79") << 1 << 1 << 3
                                           << QStringList{"setSora 79", "setAya 0", "showAyaPage"};
        QTest::addRow("aya count of sura 110") << 2 << 3 << 4
                                               << QStringList{"setSora 110", "setAya 0", "showAyaPage"};
        QTest::addRow("place of sura 114") << 3 << 3 << 8
                                           << QStringList{"setSora 114", "setAya 0", "showAyaPage"};
    }
    void clickOnACellOpensItsSura() {
        QFETCH(int, column);
        QFETCH(int, page);
        QFETCH(int, row);
        QFETCH(QStringList, calls);
        Folder folder(portion());
        FakeTarget target;
        zelan::ui::setModalHook([&](QDialog* dialog) {
            dialog->show();
            for (int i = 1; i < page; ++i)
                SoraIndex_frm->nextSora_bt_imClick();
            QTest::mouseClick(SoraIndex_frm->cell(kStems[column], row), Qt::LeftButton, {}, QPoint(5, 5));
            return 0;
        });
        showSoraIndex(nullptr, m_library, target);
        QCOMPARE(target.calls, calls);
        QVERIFY(!target.indexVisibleAtPage);
        QCOMPARE(SoraIndex_frm, nullptr);
    }

    // A row of a sura outside the portion (the table's filter lets through any number from 78
    // up) shows the location message over the index, which stays open; the reading position
    // does not move to a sura the main window does not have.
    void suraOutsideThePortionShowsTheLocationMessage() {
        Folder folder({{1, 1, 7}, {78, 1, 40}, {120, 1, 5}});
        FakeTarget target;
        TSoraIndex_frm index(nullptr, m_library, target);
        index.show();
        QStringList shownModally;
        zelan::ui::setModalHook([&](QDialog* dialog) {
            shownModally << dialog->objectName();
            if (dialog->parentWidget() != &index)
                shownModally << QStringLiteral("owned by another window");
            return 0;
        });
        QTest::mouseClick(index.cell(kStems[1], 3), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(shownModally, QStringList{QStringLiteral("message_loc_frm")});
        QVERIFY(target.calls.isEmpty());
        QVERIFY(index.isVisible());
        QCOMPARE(shownRows(index, m_library).size(), 3);
    }

    // Switching to another window and back keeps the list the user chose.
    void showingAgainKeepsTheChosenList() {
        Folder folder(portion());
        FakeTarget target;
        TSoraIndex_frm index(nullptr, m_library, target);
        index.show();
        QTest::mouseClick(index.madenahSora_rb, Qt::LeftButton);
        index.hide();
        index.show();
        QCOMPARE(shownRows(index, m_library).size(), 3);
        QVERIFY(index.madenahSora_rb->isChecked());
    }

    // The cancel button closes the index and closes its table.
    void cancelCloses() {
        Folder folder(portion());
        FakeTarget target;
        TSoraIndex_frm index(nullptr, m_library, target);
        index.show();
        QTest::mouseClick(index.cancelButton_im, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!index.isVisible());
        QVERIFY(!index.table()->isOpen());
        index.nextSora_bt_imClick(); // a late click on a closed window does nothing
        QVERIFY(target.calls.isEmpty());
    }

    // The real index table and pictures of the program folder.
    void programFolderIndex() {
        QString folder, previous;
        ZELAN_ENTER_PROGRAM_FOLDER(folder, previous);
        const auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });
        for (int code : {zelan::ui::kArabic, zelan::ui::kRussian}) {
            languageCode = code;
            const zelan::ui::PictureLibrary real = zelan::ui::loadPictureLibrary(code);
            QVERIFY(real);
            FakeTarget target;
            TSoraIndex_frm index(nullptr, real, target);
            index.show();
            QCOMPARE(index.Index_back_im->size(), QSize(800, 600));
            QList<int> sizes;
            QCOMPARE(allRows(index, real, &sizes), expectedRows(portion()));
            QCOMPARE(sizes, (QList<int>{15, 15, 8}));
            for (int row = 1; row <= 8; ++row)
                QCOMPARE(static_cast<ImageControl*>(index.cell(kStems[0], row))->picture(),
                         shown(real, 332 + TSoraIndex_frm::tagOf(index.cell(kStems[0], row))));
            // Everything that acts has a name for screen readers in the interface language:
            // the buttons and filters their words, a row's cells its sura's name.
            QSet<QString> names;
            for (QWidget* control : std::initializer_list<QWidget*>{index.cancelButton_im, index.prevSora_bt_im,
                                                                   index.nextSora_bt_im, index.makkaSora_rb,
                                                                   index.madenahSora_rb}) {
                QVERIFY2(control->accessibleName() != control->objectName(), qPrintable(control->objectName()));
                names.insert(control->accessibleName());
            }
            QCOMPARE(names.size(), 5);
            const int sora = TSoraIndex_frm::tagOf(index.cell(kStems[0], 2));
            for (const QString& stem : {kStems[0], kStems[3]})
                QCOMPARE(index.cell(stem, 2)->accessibleName(), *real->string(600 + sora));
            QVERIFY(real->string(600 + sora)->contains(code == zelan::ui::kRussian ? QStringLiteral("Сура")
                                                                                  : QStringLiteral("سورة")));
        }
    }

private:
    zelan::ui::PictureLibrary m_library;
};

ZELAN_TEST_CLASS(SoraIndexTest)
#include "tst_index.moc"
