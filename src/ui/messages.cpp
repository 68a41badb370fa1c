#include "messages.h"

#include <QApplication>
#include <QDialog>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <cstdlib>
#include <utility>

namespace zelan::ui {
namespace {

// GUI-thread state of the seams; a function-local static so that it exists before any use,
// whatever the order of static initialisation.
struct Seams {
    MessageHook message;
    std::function<void()> beep;
    std::function<void(int)> end;
    ModalHook modal;
    bool ending = false;
};

Seams& seams() {
    static Seams state;
    return state;
}

QMessageBox::Icon iconFor(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        break;
    }
    return QMessageBox::Critical;
}

bool widgetsAvailable() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

void showMessage(const QString& text, const QString& caption, MessageKind kind) {
    if (seams().message) {
        // A copy, so that a hook may replace itself while it runs.
        const MessageHook hook = seams().message;
        hook(text, caption, kind);
        return;
    }
    const QString title = caption.isEmpty() ? QCoreApplication::applicationName() : caption;
    if (!widgetsAvailable()) {
        qWarning("%s: %s", qUtf8Printable(title), qUtf8Printable(text));
        return;
    }
    QMessageBox box(iconFor(kind), title, text, QMessageBox::Ok);
    box.exec();
}

void setMessageHook(MessageHook hook) {
    seams().message = std::move(hook);
}

void beep() {
    if (seams().beep) {
        const std::function<void()> hook = seams().beep;
        hook();
        return;
    }
    if (widgetsAvailable())
        QApplication::beep();
}

void setBeepHook(std::function<void()> hook) {
    seams().beep = std::move(hook);
}

void endApplication(int exitCode) {
    if (seams().ending)
        return;
    seams().ending = true;
    if (seams().end) {
        const std::function<void(int)> hook = seams().end;
        hook(exitCode);
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        // No application object means no loop to end: the program ends here.
        std::exit(exitCode);
    }
    // QCoreApplication::exit() only ends loops that are running; queued, it also reaches the
    // loop that exec() starts later. It ends every running loop, nested ones included.
    QMetaObject::invokeMethod(
        app, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}

bool applicationEnding() {
    return seams().ending;
}

void setEndApplicationHook(std::function<void(int exitCode)> hook) {
    seams().end = std::move(hook);
    seams().ending = false;
}

int showModal(QDialog* dialog) {
    if (seams().modal) {
        const ModalHook hook = seams().modal;
        return hook(dialog);
    }
    return dialog->exec();
}

void setModalHook(ModalHook hook) {
    seams().modal = std::move(hook);
}

} // namespace zelan::ui
