#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace zelan::ui {

// The faces the windows are designed with, and the installed faces that stand in for them:
// metric-compatible ones where they exist (Liberation for Times New Roman and Arial), faces of
// the same kind otherwise.
const std::vector<std::pair<QString, QString>>& fontSubstitutes();

// Registers the substitutes with Qt (QFont::insertSubstitution), so that a window asking for a
// designed face gets its stand-in instead of whatever the font lookup falls back to.
void installFontSubstitutes();

} // namespace zelan::ui
