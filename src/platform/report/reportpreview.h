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
// The preview draws the prepared pages whenever it asks for them, on its own printer (the
// report's paper, A4 by default, full page, high resolution), through printOn. Once the
// window has closed, runs the report's after-preview handler. Returns what `runModal`
// returned. An exception from a report handler passes
// through before any window is made.
int preview(Report& report, const ModalRunner& runModal, QWidget* parent = nullptr);

// Draws `report` on `printer` as the user has set it up: laid out again for the printer's
// paper when that differs from the report's, only the pages of the printer's page range, and
// each copy where the printer does not make copies itself. Returns false when the printer
// cannot be drawn on.
bool printOn(Report& report, QPrinter& printer);

} // namespace zelan::report
