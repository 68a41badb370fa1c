#include "picturelist.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>

namespace {

// Draws the open list's entries through the list's own drawing, on the selection colour when
// highlighted, at the list's fixed item height.
class PictureDelegate : public QStyledItemDelegate {
public:
    explicit PictureDelegate(PictureList* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        painter->fillRect(option.rect, (option.state & QStyle::State_Selected) ? option.palette.highlight()
                                                                                : option.palette.base());
        m_list->drawItem(*painter, index.row(), option.rect);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), m_list->itemHeight()};
    }

private:
    PictureList* m_list;
};

} // namespace

PictureList::PictureList(QWidget* parent, int itemHeight) : QComboBox(parent), m_itemHeight(itemHeight) {
    setItemDelegate(new PictureDelegate(this));
}

void PictureList::drawItem(QPainter& painter, int index, const QRect& rect) const {
    if (m_draw && index >= 0 && index < count())
        m_draw(painter, index, rect);
}

void PictureList::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    // The entry fills the box from its frame to the arrow, as in the open list.
    const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    const QRect field(2, 2, std::max(0, arrow.left() - 2), height() - 4);
    painter.fillRect(field, palette().base());
    painter.setClipRect(field);
    drawItem(painter, currentIndex(),
             QRect(field.left(), field.top() + (field.height() - m_itemHeight) / 2, field.width(), m_itemHeight));
}
