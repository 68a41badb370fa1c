#include "guardedcall.h"

#include <QCoreApplication>
#include <QTimer>

#include <exception>

namespace zelan::ui {

void runGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        // Without an application there is no loop to carry it: let it go up as before.
        if (!QCoreApplication::instance())
            throw;
        QTimer::singleShot(0, QCoreApplication::instance(), [error] { std::rethrow_exception(error); });
    }
}

} // namespace zelan::ui
