#include "fontsubstitutes.h"

#include <QFont>

namespace zelan::ui {

const std::vector<std::pair<QString, QString>>& fontSubstitutes() {
    static const std::vector<std::pair<QString, QString>> substitutes{
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")},
        {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("DejaVu Sans")},
        {QStringLiteral("Traditional Arabic"), QStringLiteral("Amiri")},
    };
    return substitutes;
}

void installFontSubstitutes() {
    for (const auto& [designed, installed] : fontSubstitutes())
        QFont::insertSubstitution(designed, installed);
}

} // namespace zelan::ui
