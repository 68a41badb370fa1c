#pragma once

#include <QApplication>

#include <exception>

namespace zelan::app {

// Shows an exception the way the program reports every error that escapes a handler: a
// message box with the exception's text (what()), or an error box with an empty text for an
// exception that is not a std::exception.
void showException(std::exception_ptr exception);

// The application object. An exception that escapes the handler of any event (a table engine
// error, for example) is shown by showException and the event counts as not handled; the
// program goes on.
class Application : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace zelan::app
