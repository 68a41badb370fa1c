#include "workgroup.h"

#include "imagecontrol.h"
#include "messages.h"

#include <QImage>
#include <QTimer>

#include <vector>

Tgroup_frm* group_frm = nullptr;

namespace {
constexpr int kCreditsPicture = 537;
constexpr int kStartTop = 100;
constexpr int kEndTop = -780;     // the credits picture has left the window
constexpr int kRestartTop = 350;  // just above the window's bottom edge
constexpr int kTick = 100;        // ms
} // namespace

QRegion creditsShape(const QImage& picture, QRgb key) {
    if (picture.isNull())
        return {};
    const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32);
    // One rectangle per run of body pixels in each row, rows top to bottom and runs left to
    // right: the banded order a region is made of.
    std::vector<QRect> runs;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        int x = 0;
        while (x < pixels.width()) {
            while (x < pixels.width() && row[x] == key)
                ++x;
            const int start = x;
            while (x < pixels.width() && row[x] != key)
                ++x;
            if (x > start)
                runs.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion shape;
    shape.setRects(runs.data(), int(runs.size()));
    return shape;
}

Tgroup_frm::Tgroup_frm(QWidget* owner, const zelan::ui::PictureLibrary& library)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_library(library) {
    setObjectName(QStringLiteral("group_frm"));
    setLayoutDirection(Qt::RightToLeft);
    setFixedSize(410, 367);

    Image1 = new zelan::ui::ImageControl(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPicture(QImage(QStringLiteral(":/design/credits_background.png")));
    group_im = new zelan::ui::ImageControl(this);
    group_im->setObjectName(QStringLiteral("group_im"));
    group_im->move(55, kStartTop);
    Image2 = new zelan::ui::ImageControl(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPicture(QImage(QStringLiteral(":/design/credits_close.png")));
    Image2->move(387, 6);
    Image2->setCursor(Qt::PointingHandCursor);
    connect(Image2, &zelan::ui::ImageControl::clicked, this, &Tgroup_frm::Image2Click);

    // Pixels of the key colour are see-through: the window takes the shape of its picture.
    const QRegion shape = creditsShape(Image1->picture());
    if (!shape.isEmpty())
        setMask(shape);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kTick);
    connect(Timer1, &QTimer::timeout, this, &Tgroup_frm::Timer1Timer);
    FormCreate();
    Timer1->start();
}

void Tgroup_frm::FormCreate() {
    zelan::ui::loadButtonPicture(m_library, group_im, kCreditsPicture);
    zelan::ui::nameControl(m_library, Image2, 185);
}

void Tgroup_frm::Timer1Timer() {
    int top = group_im->y() - 1;
    // At or past the end: a picture can only be moved there one step at a time, but a top
    // beyond the end must not scroll away for ever either.
    if (top <= kEndTop)
        top = kRestartTop;
    group_im->move(group_im->x(), top);
}

void Tgroup_frm::Image2Click() { close(); }

void showCreditsWindow(QWidget* owner, QWidget* over, const zelan::ui::PictureLibrary& library) {
    Tgroup_frm window(owner, library);
    // Over the page box wherever the main window stands, its frame included.
    if (over)
        window.move(over->mapToGlobal(QPoint(0, 0)));
    group_frm = &window;
    zelan::ui::showModal(&window);
    group_frm = nullptr;
}
