#pragma once

// What the window benchmarks share: entering the program folder with what the windows need,
// and the figures of the timing programs.

#include "designresources.h"
#include "fontsubstitutes.h"
#include "messages.h"

#include <QDir>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace zelan::bench {

// Makes `folder` the current directory (the program finds its files there), installs the font
// stand-ins and the design pictures, and sends the program's messages to standard error with
// the benchmark's name. False, after saying so, when there is no such folder. Call it after
// the application object exists.
inline bool enterProgramFolder(const char* benchmark, const QString& folder) {
    if (!QDir::setCurrent(folder)) {
        std::fprintf(stderr, "%s: no program folder at %s\n", benchmark, qPrintable(folder));
        return false;
    }
    zelan::ui::installFontSubstitutes();
    zelan::design::initDesignResources();
    static const char* name = nullptr;
    name = benchmark;
    zelan::ui::setMessageHook([](const QString& text, const QString&, zelan::ui::MessageKind) {
        std::fprintf(stderr, "%s: message: %s\n", name, qPrintable(text));
    });
    return true;
}

// The value below which a share `p` (0..1) of `values` lies; -1 for no values.
inline double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

// One line of a timing program's table: measure, target ("<= value unit", or empty), figure
// with its unit, and the verdict against `limit` (none for a measure without a target).
inline void report(const char* measure, const char* target, double figure, const char* unit, double limit) {
    std::printf("%-62s %-10s %10.3f %-3s %s\n", measure, target, figure, unit,
                *target == 0 ? "" : (figure <= limit ? "met" : "missed"));
}

} // namespace zelan::bench
