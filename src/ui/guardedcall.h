#pragma once

#include <functional>

namespace zelan::ui {

// Runs `handler`. An exception it throws does not unwind through the caller: it is thrown again
// from the event loop a moment later, where the application's error display catches it and the
// program goes on. Qt's widget and gui code is built without exception support, so an exception
// that unwinds through it (a click or key being delivered, a signal emitted by a widget) skips
// that code's clean-up and leaks or corrupts its state. Use it where Qt's widget code calls
// one of our handlers.
void runGuarded(const std::function<void()>& handler);

// A slot that calls `handler` through runGuarded, for connecting a widget's signal to one of
// our handlers: connect(box, &QLineEdit::textChanged, this, guarded(this, &Window::box_edChange)).
template <class Object, class... Params>
auto guarded(Object* object, void (Object::*handler)(Params...)) {
    return [object, handler](Params... args) { runGuarded([&] { (object->*handler)(args...); }); };
}

} // namespace zelan::ui
