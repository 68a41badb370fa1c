#pragma once

#include "picturelibrary.h"

#include <QColor>
#include <QDialog>
#include <QRegion>

class QImage;
class QTimer;

namespace zelan::ui {
class ImageControl;
} // namespace zelan::ui

// The colour of the credits window's design picture that is see-through. One fixed colour,
// drawn into the picture where the window has no body (outside its rounded frame), so the
// window's shape does not follow the desktop theme.
inline constexpr QRgb kCreditsKeyColour = 0xFFFF00FF;

// The part of `picture` that is not exactly `key`: the window's shape. A picture without any
// pixel of that colour gives its whole rectangle; a null picture gives an empty region.
QRegion creditsShape(const QImage& picture, QRgb key = kCreditsKeyColour);

// The credits window: a borderless window over the page box, its design background with a close
// glyph, and the credits picture scrolling upward without end, one pixel every 100 ms.
class Tgroup_frm : public QDialog {
    Q_OBJECT

public:
    Tgroup_frm(QWidget* owner, const zelan::ui::PictureLibrary& library);

    // One scroll step: up one pixel; from a top of -780 back to 350.
    void Timer1Timer();
    void Image2Click();

    zelan::ui::ImageControl* Image1;   // design background
    zelan::ui::ImageControl* Image2;   // close glyph
    zelan::ui::ImageControl* group_im; // the credits, picture 537
    QTimer* Timer1;                    // scroll, 100 ms

private:
    void FormCreate();

    zelan::ui::PictureLibrary m_library;
};

// While the credits window is shown, the one instance; null otherwise.
extern Tgroup_frm* group_frm;

// Shows the credits window modally with its top-left corner on the top-left corner of `over`
// (the main window's page box) and destroys it when it has closed.
void showCreditsWindow(QWidget* owner, QWidget* over, const zelan::ui::PictureLibrary& library);
