#include "soraindex.h"

#include "components.h"
#include "guardedcall.h"
#include "imagebutton.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messageloc.h"
#include "messages.h"
#include "table.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

TSoraIndex_frm* SoraIndex_frm = nullptr;

namespace {

using zelan::ui::ImageButton;
using zelan::ui::ImageControl;

constexpr int kRows = 15;
constexpr int kLabelTop = 151;
constexpr int kImageTop = 146;
constexpr int kRowHeight = 23;
constexpr int kImageWidth = 120;
constexpr int kLabelWidth = 74;

const QString kNameStem = QStringLiteral("soraName_lb");
const QString kNumberStem = QStringLiteral("soraNum_lb");
const QString kAyaCountStem = QStringLiteral("NumOfAya_lb");
const QString kPlaceStem = QStringLiteral("whereDescend_lb");

// Picture ids of the window.
constexpr int kBackground = 463;
constexpr int kFilterLabels = 449;
constexpr int kRevelationOrder = 450;
constexpr int kMakkan = 447;
constexpr int kMadinan = 448;
constexpr int kFirstSoraName = 332;       // + sura number
constexpr int kFirstSoraNameString = 600; // + sura number: the name's words, for screen readers

// The portion: sura 1 and suras 78 to 114. A row of any other sura cannot be opened.
bool inPortion(int sora) { return sora == 1 || (sora >= 78 && sora <= 114); }

ImageControl* image(QWidget* parent, const QString& name, int left, int top) {
    auto* control = new ImageControl(parent);
    control->setObjectName(name);
    control->move(left, top);
    return control;
}

QRadioButton* radio(QWidget* parent, const char* name, int left, int top) {
    auto* button = new QRadioButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, top, 17, 17);
    return button;
}

} // namespace

// ---- pagingInfo --------------------------------------------------------------------------------

pagingInfo::pagingInfo(TSoraIndex_frm& window, int pageCount, int shownPage, int rowsPerPage)
    : pageCount(pageCount), shownPage(shownPage), rowsPerPage(rowsPerPage), m_window(window) {}

void pagingInfo::clearRows() {
    for (int row = 1; row <= rowsPerPage; ++row) {
        for (const QString& stem : {kNameStem, kNumberStem, kAyaCountStem, kPlaceStem}) {
            if (QWidget* cell = m_window.cell(stem, row))
                cell->hide();
        }
    }
}

void pagingInfo::buildPages() {
    clearRows();
    zelan::tables::Table& table = *m_window.table();
    const int records = table.recordCount();
    pageCount = rowsPerPage > 0 ? (records + rowsPerPage - 1) / rowsPerPage : 0;
    shownPage = 1;
    pageStarts.assign(size_t(pageCount), QString());
    table.first();
    if (pageCount == 0)
        return; // nothing to show; both page buttons then do nothing
    pageStarts[0] = table.bookmark();
    int stored = 1;
    int row = 1;
    while (stored < pageCount) {
        table.next();
        if (table.eof())
            break;
        if (++row > rowsPerPage) {
            row = 1;
            pageStarts[size_t(stored++)] = table.bookmark();
        }
    }
    table.first();
    showPage();
}

void pagingInfo::turnPage(unsigned char direction) {
    if (direction == forwardFlag)
        nextPage();
    else
        previousPage();
}

void pagingInfo::nextPage() {
    if (shownPage >= pageCount)
        return;
    goToPage(shownPage + 1);
}

void pagingInfo::previousPage() {
    if (shownPage <= 1)
        return;
    goToPage(shownPage - 1);
}

void pagingInfo::goToPage(int page) {
    if (page < 1 || page > int(pageStarts.size()))
        return;
    clearRows();
    shownPage = page;
    m_window.table()->gotoBookmark(pageStarts[size_t(page - 1)]);
    showPage();
}

void pagingInfo::showPage() {
    zelan::tables::Table& table = *m_window.table();
    if (table.isEmpty())
        return;
    for (int row = 1; row <= rowsPerPage; ++row) {
        const int sora = table.fieldByName(QStringLiteral("soraNum")).asInteger();
        if (auto* name = qobject_cast<ImageControl*>(m_window.cell(kNameStem, row))) {
            m_window.loadSoraNamePicture(name, sora);
            TSoraIndex_frm::setTag(name, sora);
            name->show();
        }
        if (auto* number = qobject_cast<QLabel*>(m_window.cell(kNumberStem, row))) {
            number->setText(table.fieldByName(QStringLiteral("soraNum")).asString());
            TSoraIndex_frm::setTag(number, sora);
            number->show();
        }
        if (auto* ayas = qobject_cast<QLabel*>(m_window.cell(kAyaCountStem, row))) {
            ayas->setText(table.fieldByName(QStringLiteral("NumOfAyat")).asString());
            TSoraIndex_frm::setTag(ayas, sora);
            ayas->show();
        }
        if (auto* place = qobject_cast<ImageControl*>(m_window.cell(kPlaceStem, row))) {
            // A place other than Makkah (1) or Madinah (2) shows an empty cell that can still
            // be clicked through its row's other cells.
            switch (table.fieldByName(QStringLiteral("DecendOrder")).asInteger()) {
            case 1:
                zelan::ui::loadPicture(m_window.library(), place, kMakkan);
                break;
            case 2:
                zelan::ui::loadPicture(m_window.library(), place, kMadinan);
                break;
            default:
                place->clearPicture();
                break;
            }
            TSoraIndex_frm::setTag(place, sora);
            // It chooses its row's sura, as the name does.
            zelan::ui::nameControl(m_window.library(), place, kFirstSoraNameString + sora);
            place->show();
        }
        table.next();
        if (table.eof())
            break;
    }
}

// ---- TSoraIndex_frm ----------------------------------------------------------------------------

TSoraIndex_frm::TSoraIndex_frm(QWidget* owner, const zelan::ui::PictureLibrary& library, SoraIndexTarget& target)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_library(library), m_target(target) {
    buildDesign();
    m_paging = std::make_unique<pagingInfo>(*this, 0, 0, kRows);
    for (const auto& [control, pictures] : {std::pair{cancelButton_im, ImageButton::Pictures{468, 477, 478}},
                                            std::pair{prevSora_bt_im, ImageButton::Pictures{517, 518, 519}},
                                            std::pair{nextSora_bt_im, ImageButton::Pictures{520, 521, 522}}})
        m_buttons.push_back(new ImageButton(control, &m_library, pictures));
    FormCreate();
}

TSoraIndex_frm::~TSoraIndex_frm() {
    if (ZelanIndex_tb)
        ZelanIndex_tb->close();
}

void TSoraIndex_frm::buildDesign() {
    setObjectName(QStringLiteral("SoraIndex_frm"));
    setWindowTitle(QString());
    setLayoutDirection(Qt::RightToLeft);
    setFixedSize(800, 600);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Index_back_im = image(this, QStringLiteral("Index_back_im"), 0, 0);
    Index_back_im->setStretch(true);
    Index_back_im->setGeometry(rect());
    soraType_im = image(this, QStringLiteral("soraType_im"), 672, 22);
    whereDecend_im = image(this, QStringLiteral("whereDecend_im"), 0, 0);
    whereDecend_im->hide();

    makkaSora_rb = radio(this, "makkaSora_rb", 762, 34);
    madenahSora_rb = radio(this, "madenahSora_rb", 763, 68);
    zelanOrder_rb = radio(this, "zelanOrder_rb", 0, 0);
    zelanOrder_rb->setChecked(true);
    zelanOrder_rb->hide();
    whereDescend_rb = radio(this, "whereDescend_rb", 0, 0);
    whereDescend_rb->hide();
    whereDescend_ex_rb = radio(this, "whereDescend_ex_rb", 0, 0);
    whereDescend_ex_rb->hide();

    QFont cellFont(QStringLiteral("Tahoma"));
    cellFont.setPixelSize(11);
    for (int row = 1; row <= kRows; ++row) {
        const QString number = QString::number(row);
        const int imageTop = kImageTop + kRowHeight * (row - 1);
        const int labelTop = kLabelTop + kRowHeight * (row - 1);
        for (const QString& stem : {kNameStem, kPlaceStem}) {
            ImageControl* cell = image(this, stem + number, 0, imageTop);
            cell->resize(kImageWidth, kRowHeight);
            cell->setCursor(Qt::PointingHandCursor);
            connect(cell, &ImageControl::clicked, this, [this, cell] { soraName_lb1Click(cell); });
        }
        for (const QString& stem : {kNumberStem, kAyaCountStem}) {
            auto* label = new QLabel(this);
            label->setObjectName(stem + number);
            label->setGeometry(0, labelTop, kLabelWidth, kRowHeight);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setFont(cellFont);
            // Clicks reach the window through its filter; labels take no other mouse action.
            label->installEventFilter(this);
        }
    }
    applyIndexLayout(zelan::ui::kArabic); // the design layout

    prevSora_bt_im = image(this, QStringLiteral("prevSora_bt_im"), 426, 558);
    nextSora_bt_im = image(this, QStringLiteral("nextSora_bt_im"), 332, 558);
    cancelButton_im = image(this, QStringLiteral("cancelButton_im"), 678, 528);
    return_sb = new QToolButton(this);
    return_sb->setObjectName(QStringLiteral("return_sb"));
    return_sb->hide();

    // The radio buttons and the labels call their handlers through a guard, so an error in one
    // reaches the error display without unwinding Qt's mouse delivery.
    using zelan::ui::guarded;
    connect(makkaSora_rb, &QRadioButton::clicked, this, guarded(this, &TSoraIndex_frm::makkaSora_rbClick));
    connect(madenahSora_rb, &QRadioButton::clicked, this, guarded(this, &TSoraIndex_frm::madenahSora_rbClick));
    connect(zelanOrder_rb, &QRadioButton::clicked, this, guarded(this, &TSoraIndex_frm::zelanOrder_rbClick));
    connect(whereDescend_rb, &QRadioButton::clicked, this, guarded(this, &TSoraIndex_frm::whereDescend_rbClick));
    connect(whereDescend_ex_rb, &QRadioButton::clicked, this, guarded(this, &TSoraIndex_frm::whereDescend_ex_rbClick));
    connect(prevSora_bt_im, &ImageControl::clicked, this, &TSoraIndex_frm::prevSora_bt_imClick);
    connect(nextSora_bt_im, &ImageControl::clicked, this, &TSoraIndex_frm::nextSora_bt_imClick);
    connect(cancelButton_im, &ImageControl::clicked, this, &TSoraIndex_frm::cancelButton_imClick);
    connect(return_sb, &QToolButton::clicked, this, guarded(this, &TSoraIndex_frm::return_sbClick));

    ZelanIndex_tb = zelan::data::createZelanIndexTable();
    ZelanIndex_tb_sr = std::make_unique<zelan::tables::DataSource>(ZelanIndex_tb.get());

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TSoraIndex_frm::FormCreate() {
    ZelanIndex_tb->open();
    loadIndexPictures();
    applyIndexLayout(languageCode);
}

void TSoraIndex_frm::loadIndexPictures() {
    zelan::ui::loadPicture(m_library, Index_back_im, kBackground);
    zelan::ui::loadPicture(m_library, soraType_im, kFilterLabels);
    zelan::ui::loadPicture(m_library, whereDecend_im, kRevelationOrder);
    zelan::ui::loadButtonPicture(m_library, cancelButton_im, 468);
    zelan::ui::loadButtonPicture(m_library, prevSora_bt_im, 517);
    zelan::ui::loadButtonPicture(m_library, nextSora_bt_im, 520);
    using zelan::ui::nameControl;
    nameControl(m_library, cancelButton_im, 193);
    nameControl(m_library, prevSora_bt_im, 191);
    nameControl(m_library, nextSora_bt_im, 192);
    nameControl(m_library, makkaSora_rb, 194);
    nameControl(m_library, madenahSora_rb, 195);
    // The filters stand on their label picture.
    makkaSora_rb->raise();
    madenahSora_rb->raise();
}

void TSoraIndex_frm::applyIndexLayout(int code) {
    struct Columns {
        int name, number, ayas, place;
    };
    Columns columns;
    Qt::LayoutDirection direction;
    if (code == zelan::ui::kArabic) {
        columns = {492, 405, 311, 176};
        direction = Qt::RightToLeft;
    } else if (code == zelan::ui::kRussian) {
        columns = {176, 311, 405, 492};
        direction = Qt::LeftToRight;
    } else {
        return;
    }
    for (int row = 1; row <= kRows; ++row) {
        const auto place = [&](const QString& stem, int left) {
            if (QWidget* c = cell(stem, row))
                c->move(left, c->y());
        };
        place(kNameStem, columns.name);
        place(kNumberStem, columns.number);
        place(kAyaCountStem, columns.ayas);
        place(kPlaceStem, columns.place);
        for (const QString& stem : {kNumberStem, kAyaCountStem}) {
            if (QWidget* label = cell(stem, row))
                label->setLayoutDirection(direction);
        }
    }
}

void TSoraIndex_frm::loadSoraNamePicture(ImageControl* cell, int sora) {
    zelan::ui::loadPicture(m_library, cell, kFirstSoraName + sora);
    zelan::ui::nameControl(m_library, cell, kFirstSoraNameString + sora);
}

QWidget* TSoraIndex_frm::cell(const QString& stem, int row) const {
    return findChild<QWidget*>(stem + QString::number(row), Qt::FindDirectChildrenOnly);
}

int TSoraIndex_frm::tagOf(const QWidget* cell) { return cell ? cell->property("tag").toInt() : 0; }

void TSoraIndex_frm::setTag(QWidget* cell, int sora) { cell->setProperty("tag", sora); }

void TSoraIndex_frm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The canonical list is built when the window first appears, not at every activation:
    // switching to another window and back keeps the page and the filter the user chose.
    if (!m_listShown)
        FormActivate();
}

void TSoraIndex_frm::FormActivate() {
    m_listShown = true;
    zelanOrder_rbClick();
}

void TSoraIndex_frm::showList(const QString& index, const QString& filter, bool indexFirst) {
    if (!ZelanIndex_tb->isOpen())
        return; // closed with the window; nothing left to show
    if (indexFirst) {
        ZelanIndex_tb->setIndexName(index);
        ZelanIndex_tb->setFilter(filter);
        ZelanIndex_tb->refresh();
    } else {
        ZelanIndex_tb->setFilter(filter);
        ZelanIndex_tb->setIndexName(index);
    }
    m_paging->buildPages();
}

void TSoraIndex_frm::zelanOrder_rbClick() {
    m_place = 0;
    showList(QStringLiteral("SoraNum_idx"), zelan::data::filters::suraIndex(), false);
}

void TSoraIndex_frm::whereDescend_rbClick() {
    m_place = 0;
    showList(QStringLiteral("DescendOrder_idx"), zelan::data::filters::suraIndex(), false);
}

void TSoraIndex_frm::whereDescend_ex_rbClick() { whereDescend_rbClick(); }

void TSoraIndex_frm::makkaSora_rbClick() {
    showPlace(1);
}

void TSoraIndex_frm::madenahSora_rbClick() {
    showPlace(2);
}

void TSoraIndex_frm::showPlace(int place) {
    // A second click on the chosen place brings the whole list back, so the user need not
    // close the window to see every sura again.
    if (place == m_place) {
        zelanOrder_rb->setChecked(true);
        zelanOrder_rbClick();
        return;
    }
    m_place = place;
    showList(QStringLiteral("SoraNum_idx"), zelan::data::filters::suraIndexByPlace(place), true);
}

void TSoraIndex_frm::prevSora_bt_imClick() {
    if (ZelanIndex_tb->isOpen())
        m_paging->turnPage(m_paging->backwardFlag);
}

void TSoraIndex_frm::nextSora_bt_imClick() {
    if (ZelanIndex_tb->isOpen())
        m_paging->turnPage(m_paging->forwardFlag);
}

void TSoraIndex_frm::cancelButton_imClick() { close(); }

void TSoraIndex_frm::return_sbClick() { close(); }

void TSoraIndex_frm::soraName_lb1Click(QWidget* cell) {
    const int sora = tagOf(cell);
    if (!inPortion(sora)) {
        showLocationMessage();
        return;
    }
    m_target.setSora(sora);
    if (m_target.getSora() == 1)
        m_target.setAya(1);
    else if (m_target.getSora() >= 78)
        m_target.setAya(0); // the opening formula of the sura
    close();
    m_target.showAyaPage();
}

void TSoraIndex_frm::showLocationMessage() { ::showLocationMessage(this, m_library); }

bool TSoraIndex_frm::eventFilter(QObject* watched, QEvent* event) {
    // A left click on a number or aya-count label chooses its row, as a click on the row's
    // pictures does. A label ignores presses, which would then go to the window and take the
    // release with them; the press is kept here, so the release comes back to the label.
    auto* label = qobject_cast<QLabel*>(watched);
    if (label && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (event->type() == QEvent::MouseButtonRelease && label->rect().contains(mouse->position().toPoint()))
            zelan::ui::runGuarded([&] { soraName_lb1Click(label); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TSoraIndex_frm::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TSoraIndex_frm::FormClose() {
    // The table closes with the window; the paging stays until the window goes, so nothing
    // that still reaches the window after its close can step through a destroyed list.
    ZelanIndex_tb->close();
}

void showSoraIndex(QWidget* owner, const zelan::ui::PictureLibrary& library, SoraIndexTarget& target) {
    TSoraIndex_frm index(owner, library, target);
    SoraIndex_frm = &index;
    zelan::ui::showModal(&index);
    SoraIndex_frm = nullptr;
}
