#pragma once

#include "portion.h"
#include "typesetting.h"

#include <QStringList>

namespace zelan::datagen {

// What checkTypesetResult() found.
struct TypesetCheck {
    QStringList failures;       // empty when the result keeps every rule
    int darkestBoundaryRed = 255; // the lowest red of a pixel in a column shared by two ayas' bands
    // Pixels of the first and last row of aya bands that count as ink at factor 60: those rows
    // are shared with the neighbouring lines' bands and should hold no ink.
    int bandEdgeInk = 0;
    int rows = 0;               // line rows checked
    int splitAyas = 0;
};

// Checks a typeset result from the outside, as the viewer will use it: the pictures, the rows'
// geometry (inside the picture, in reading order, not overlapping on a line), the places of the
// suras on the pages, the split ayas and half closers, every aya's band holding ink at the
// highlight factor 60 and no boundary column between two ayas holding ink at factor 100. With
// jpegQuality > 0 the pixel checks run on the pictures after a JPEG round trip at that quality,
// the way the program folder stores them.
TypesetCheck checkTypesetResult(const Portion& portion, const TypesetResult& result, int jpegQuality);

// For looking at the pages: writes every half as page<NN>_<half>.png and its geometryOverlay()
// as page<NN>_<half>_rows.png into `folder` (created if need be). Returns false with `error`
// naming the file that could not be written.
bool dumpTypesetResult(const TypesetResult& result, const QString& folder, QString* error);

} // namespace zelan::datagen
