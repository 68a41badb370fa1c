#pragma once

class QWidget;

namespace zelan::ui {

// Shows `window` with opacity `value` (0 invisible to 255 opaque, clamped). On a display that
// has no window opacity (the offscreen platform of tests and servers) it does nothing, instead
// of letting Qt warn at every step of a fade.
void setWindowOpacityByte(QWidget* window, int value);

} // namespace zelan::ui
