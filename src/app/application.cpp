#include "application.h"

#include "messages.h"

namespace zelan::app {

void showException(std::exception_ptr exception) {
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& error) {
        ui::showMessage(QString::fromUtf8(error.what()), {}, ui::MessageKind::Error);
    } catch (...) {
        ui::showMessage(QString(), {}, ui::MessageKind::Error);
    }
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showException(std::current_exception());
        return false;
    }
}

} // namespace zelan::app
