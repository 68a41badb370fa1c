#pragma once

#include <QComboBox>

#include <functional>

// A drop-down list whose entries are pictures: the entries have no text, and the window draws
// each one itself, in the open list and in the closed box alike.
class PictureList : public QComboBox {
    Q_OBJECT

public:
    // Draws entry `index` into `rect` (the entry's rectangle in the painter's coordinates).
    using DrawItem = std::function<void(QPainter& painter, int index, const QRect& rect)>;

    PictureList(QWidget* parent, int itemHeight);

    void setDrawItem(DrawItem draw) { m_draw = std::move(draw); }
    int itemHeight() const { return m_itemHeight; }
    void drawItem(QPainter& painter, int index, const QRect& rect) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DrawItem m_draw;
    int m_itemHeight;
};
