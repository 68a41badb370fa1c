#include "windowopacity.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>

namespace zelan::ui {

void setWindowOpacityByte(QWidget* window, int value) {
    static const bool supported = QGuiApplication::platformName() != QLatin1String("offscreen") &&
                                  QGuiApplication::platformName() != QLatin1String("minimal");
    if (supported)
        window->setWindowOpacity(std::clamp(value, 0, 255) / 255.0);
}

} // namespace zelan::ui
