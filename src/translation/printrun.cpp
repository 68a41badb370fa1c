#include "printrun.h"

#include <algorithm>

namespace zelan::translation {

PrintRun printRun(int startSora, int startAya, int endSora, int endAya) {
    if (startSora < endSora)
        return {{startSora, startAya}, {endSora, endAya}};
    if (startSora > endSora)
        return {{endSora, endAya}, {startSora, startAya}};
    return {{startSora, std::min(startAya, endAya)}, {startSora, std::max(startAya, endAya)}};
}

std::optional<int> ayaNumber(const QString& text, QString* error) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) {
        if (error)
            *error = QStringLiteral("'%1' is not a valid integer value").arg(text);
        return std::nullopt;
    }
    return value;
}

QString ayaCellText(const QString& text) {
    return text == QLatin1String("0") ? QStringLiteral("--") : text;
}

} // namespace zelan::translation
