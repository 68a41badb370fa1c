#pragma once

#include <QString>
#include <functional>

class QDialog;

namespace zelan::ui {

// Every message box, beep and request to end the program goes through these few functions,
// so that tests can intercept them instead of blocking on a modal box or ending the run.

enum class MessageKind { Information, Warning, Error };

// Shows `text` in a modal message box with an OK button and waits for it to be closed. An
// empty caption shows the application name. With a message hook installed, calls the hook
// instead and shows nothing. Without a QApplication (no widgets can exist) the text goes to
// the warning log.
void showMessage(const QString& text, const QString& caption = {}, MessageKind kind = MessageKind::Error);

using MessageHook = std::function<void(const QString& text, const QString& caption, MessageKind kind)>;
// Replaces the message box by `hook`; an empty hook restores the box.
void setMessageHook(MessageHook hook);

// Sounds the system bell, or calls the beep hook when one is installed.
void beep();
// Replaces the bell by `hook`; an empty hook restores the bell.
void setBeepHook(std::function<void()> hook);

// Ends the message loop and with it the program, returning `exitCode` from the application's
// exec(). Works before the loop has started (the request waits in the event queue until
// exec() runs) and inside nested loops such as a modal box's. Only the first request counts.
// With an end hook installed, calls the hook instead and ends nothing; applicationEnding()
// still reports the request, so the caller can stop its work either way.
void endApplication(int exitCode = 1);

// True once endApplication() was called (since the last setEndApplicationHook()).
bool applicationEnding();

// Replaces the end of the program by `hook`; an empty hook restores it. Also forgets any
// earlier request, so that each test starts from a program that is not ending.
void setEndApplicationHook(std::function<void(int exitCode)> hook);

// Runs `dialog` as a modal window and returns its result once it has closed. Every modal window
// of the program is shown through here. With a modal hook installed, calls the hook instead and
// returns what it returns; the hook may look at the window, drive it and close it, or just
// return (the window then was never shown).
int showModal(QDialog* dialog);

using ModalHook = std::function<int(QDialog* dialog)>;
// Replaces the modal run by `hook`; an empty hook restores it.
void setModalHook(ModalHook hook);

} // namespace zelan::ui
