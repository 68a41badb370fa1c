#pragma once

#include "picturelibrary.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class QLabel;
class QRadioButton;
class QToolButton;

namespace zelan::tables {
class DataSource;
class Table;
} // namespace zelan::tables

namespace zelan::ui {
class ImageButton;
class ImageControl;
} // namespace zelan::ui

// What the sura index moves when a sura is chosen: the reading position of the main window.
// The main window hands one in, so the index knows nothing of the window itself.
class SoraIndexTarget {
public:
    virtual ~SoraIndexTarget() = default;
    virtual void setSora(int sora) = 0;
    virtual int getSora() const = 0;
    virtual void setAya(int aya) = 0;
    // Shows the page half that holds the reading position.
    virtual void showAyaPage() = 0;
};

class TSoraIndex_frm;

// The paging of the index list: how many pages the current list has, the page on show and
// where each page starts in the table. Serves the one index window it was made for.
class pagingInfo {
public:
    pagingInfo(TSoraIndex_frm& window, int pageCount, int shownPage, int rowsPerPage);

    // Hides the four cells of every row.
    void clearRows();
    // Counts the pages of the list the table now admits, records where each starts and shows
    // page 1.
    void buildPages();
    // 0 turns to the next page, any other value to the previous one.
    void turnPage(unsigned char direction);
    // Both do nothing at the end of the list they would move past.
    void nextPage();
    void previousPage();
    // Fills the rows from the table's current record onward.
    void showPage();

    int pageCount;
    int shownPage;
    int rowsPerPage;
    // pageStarts[k - 1] leads back to the first record of page k.
    std::vector<QString> pageStarts;
    const unsigned char forwardFlag = 0;
    const unsigned char backwardFlag = 1;

private:
    // Moves to the start of page `page` and shows it.
    void goToPage(int page);

    TSoraIndex_frm& m_window;
};

// The sura index: the suras of the portion fifteen to a page, with name, number, aya count
// and place of revelation, all or only the Makkan or the Madinan ones. A click on a row moves
// the reading position to the start of that sura and closes the index. Modal, borderless,
// 800 x 600, centred on the screen.
class TSoraIndex_frm : public QDialog {
    Q_OBJECT

public:
    // `target` receives the chosen sura; it must outlive the window. A table engine error while
    // the table opens (a missing alias folder or table) is thrown, like any engine error.
    TSoraIndex_frm(QWidget* owner, const zelan::ui::PictureLibrary& library, SoraIndexTarget& target);
    ~TSoraIndex_frm() override;

    void FormCreate();
    // Shows the canonical list from page 1; runs when the window is first shown.
    void FormActivate();
    void FormClose();

    void loadIndexPictures();
    // Places the four columns in the reading direction of `languageCode`; the design layout
    // (the Arabic one) stays for any code other than 1101 and 1102.
    void applyIndexLayout(int languageCode);
    void loadSoraNamePicture(zelan::ui::ImageControl* cell, int sora);
    void showLocationMessage();

    // List modes.
    void zelanOrder_rbClick();
    void whereDescend_rbClick();
    void whereDescend_ex_rbClick();
    void makkaSora_rbClick();
    void madenahSora_rbClick();
    // Restricts the list to the suras of one place, or (asked again) shows them all.
    void showPlace(int place);

    void prevSora_bt_imClick();
    void nextSora_bt_imClick();
    void cancelButton_imClick();
    void return_sbClick();
    // The click of any of the sixty cells: chooses the sura of the cell's row.
    void soraName_lb1Click(QWidget* cell);

    // A cell of the list, found by its name: `stem` ("soraName_lb", "soraNum_lb",
    // "NumOfAya_lb", "whereDescend_lb") and the row, 1 to 15. Null when there is none.
    QWidget* cell(const QString& stem, int row) const;
    // The sura a shown cell stands for (0 for a cell that never showed a sura).
    static int tagOf(const QWidget* cell);
    static void setTag(QWidget* cell, int sora);

    pagingInfo* paging() const { return m_paging.get(); }
    zelan::tables::Table* table() const { return ZelanIndex_tb.get(); }
    const zelan::ui::PictureLibrary& library() const { return m_library; }

    // Controls, named as in the window's design.
    zelan::ui::ImageControl* Index_back_im;
    zelan::ui::ImageControl* soraType_im;
    zelan::ui::ImageControl* whereDecend_im;
    QRadioButton* makkaSora_rb;
    QRadioButton* madenahSora_rb;
    QRadioButton* zelanOrder_rb;
    QRadioButton* whereDescend_rb;
    QRadioButton* whereDescend_ex_rb;
    zelan::ui::ImageControl* prevSora_bt_im;
    zelan::ui::ImageControl* nextSora_bt_im;
    zelan::ui::ImageControl* cancelButton_im;
    QToolButton* return_sb;

    std::unique_ptr<zelan::tables::Table> ZelanIndex_tb;
    std::unique_ptr<zelan::tables::DataSource> ZelanIndex_tb_sr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildDesign();
    // Sets the table's view for a list mode and builds its pages.
    void showList(const QString& index, const QString& filter, bool indexFirst);

    zelan::ui::PictureLibrary m_library;
    SoraIndexTarget& m_target;
    std::unique_ptr<pagingInfo> m_paging;
    std::vector<zelan::ui::ImageButton*> m_buttons;
    bool m_listShown = false;
    int m_place = 0; // the place of revelation the list is restricted to (1, 2), or 0
};

// While the index is shown, the one instance; null otherwise.
extern TSoraIndex_frm* SoraIndex_frm;

// Shows the sura index modally over `owner` and destroys it when it has closed. A table engine
// error while it is made is thrown to the caller before anything is shown.
void showSoraIndex(QWidget* owner, const zelan::ui::PictureLibrary& library, SoraIndexTarget& target);
