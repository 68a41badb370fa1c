#pragma once

#include <functional>

class QDialog;
class QPrinter;
class QWidget;

namespace zelan::report {

class Report;

// Runs a modal window and returns its result (the program's modal seam).
using ModalRunner = std::function<int(QDialog* dialog)>;

// Prepares `report` (running its handlers) and shows its pages in a modal print preview at the
// report's zoom, from which the user can print them; `runModal` runs the preview window, so
// that the caller decides how modal windows run and tests can look at the window instead.
// The preview draws the prepared pages whenever it asks for them, on its own printer (A4,
// full page, high resolution). Once the window has closed, runs the report's after-preview
// handler. Returns what `runModal` returned. An exception from a report handler passes
// through before any window is made.
int preview(Report& report, const ModalRunner& runModal, QWidget* parent = nullptr);

} // namespace zelan::report
