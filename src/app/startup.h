#pragma once

class QApplication;

namespace zelan::app {

// Starts the program in `application`: the font stand-ins and design pictures, then the start
// window main_frm2, the print data module trans_dm_fm and the translation report trans_rep_fm
// in that order; shows the start window and runs the event loop. Returns the loop's exit code.
// An exception that escapes the start (a missing table of the data module, for example) is
// shown and ends the program with exit code 1. Everything it created is destroyed before it
// returns, and the three globals are null again.
int runProgram(QApplication& application);

} // namespace zelan::app
