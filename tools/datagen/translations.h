#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace zelan::datagen {

// Width of every translation picture: the translation box is 661 pixels wide and shows the
// picture at x 5, and its vertical scroll bar needs room when a long text is taller than the
// box's 65 pixels.
inline constexpr int kTranslationWidth = 630;

// Loads the Cyrillic face of the translation pictures (DejaVu Sans). Returns false with
// `error` naming the missing file and the Debian package that holds it.
bool loadTranslationFont(QString* error);

// The Russian text of one aya as a picture: dark text wrapped to kTranslationWidth on the
// colour of the translation box.
QImage translationPicture(const QString& text);

} // namespace zelan::datagen
