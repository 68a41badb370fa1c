// Fonts, the words of the portion, and the measurement of their ink.

#include "typesetlayout.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>

namespace zelan::datagen::typeset {

namespace {

const char kFontFolder[] = "/usr/share/fonts/opentype/fonts-hosny-amiri/";

// Registers a font file once per process and returns its first family.
std::optional<QString> addFont(const QString& file, QString* error) {
    static std::map<QString, QString> registered;
    const auto known = registered.find(file);
    if (known != registered.end())
        return known->second;
    if (!QFileInfo::exists(file)) {
        *error = QStringLiteral("the font %1 is missing: install the Debian package fonts-hosny-amiri").arg(file);
        return std::nullopt;
    }
    const int id = QFontDatabase::addApplicationFont(file);
    const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        *error = QStringLiteral("the font %1 cannot be used (damaged?): reinstall the Debian package "
                                "fonts-hosny-amiri")
                     .arg(file);
        return std::nullopt;
    }
    registered.emplace(file, families.front());
    return families.front();
}

} // namespace

std::optional<Fonts> loadFonts(QString* error) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        *error = QStringLiteral("typesetting needs a QGuiApplication");
        return std::nullopt;
    }
    const QString folder = QString::fromLatin1(kFontFolder);
    Fonts fonts;
    const auto scripture = addFont(folder + QStringLiteral("AmiriQuran.ttf"), error);
    const auto regular = scripture ? addFont(folder + QStringLiteral("Amiri-Regular.ttf"), error) : std::nullopt;
    const auto bold = regular ? addFont(folder + QStringLiteral("Amiri-Bold.ttf"), error) : std::nullopt;
    if (!bold)
        return std::nullopt;
    fonts.scripture = *scripture;
    fonts.regular = *regular;
    fonts.bold = *bold;
    // A family that resolves to another face would silently change every measurement.
    const std::pair<QString, bool> checks[] = {{fonts.scripture, false}, {fonts.regular, false}, {fonts.bold, true}};
    for (const auto& [family, isBold] : checks) {
        const QFontInfo info(makeFont(family, 20, isBold));
        if (info.family() != family) {
            *error = QStringLiteral("the font family \"%1\" resolves to \"%2\": reinstall the Debian package "
                                    "fonts-hosny-amiri")
                         .arg(family, info.family());
            return std::nullopt;
        }
    }
    return fonts;
}

QFont makeFont(const QString& family, int pixelSize, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias | QFont::NoFontMerging));
    font.setKerning(true);
    return font;
}

InkMeter::InkMeter(const QFont& font) : m_font(font), m_metrics(font) {
    m_space = m_metrics.horizontalAdvance(QLatin1Char(' '));
}

Ink InkMeter::measure(const QString& text) {
    const auto cached = m_cache.constFind(text);
    if (cached != m_cache.constEnd())
        return *cached;
    Ink ink;
    ink.advance = m_metrics.horizontalAdvance(text);
    // Marks of Amiri Quran stack well above the ascent; leave room on every side and grow the
    // scratch picture while the ink still reaches its edge.
    const int size = std::max(1, m_font.pixelSize());
    for (int room = 2 * size; room <= 32 * size; room *= 2) {
        const int width = int(std::ceil(ink.advance)) + 2 * room;
        const int height = 3 * room;
        const int originX = room, baseline = 2 * room;
        if (m_scratch.size() != QSize(width, height))
            m_scratch = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
        m_scratch.fill(Qt::transparent);
        {
            QPainter painter(&m_scratch);
            painter.setFont(m_font);
            painter.setPen(QColor(Qt::black));
            painter.drawText(QPointF(originX, baseline), text);
        }
        int left = width, right = -1, top = height, bottom = -1;
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(m_scratch.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                if (qAlpha(row[x]) == 0)
                    continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (right < 0)
            break; // nothing drawn (a space)
        ink.empty = false;
        ink.left = left - originX;
        ink.right = right + 1 - originX;
        ink.top = top - baseline;
        ink.bottom = bottom - baseline;
        // Ink on the edge may go on beyond it: measure again with more room. (Should it still
        // touch the edge at the largest room, the check of the drawn halves finds ink outside
        // its band.)
        if (left > 0 && top > 0 && right < width - 1 && bottom < height - 1)
            break;
    }
    m_cache.insert(text, ink);
    return ink;
}

QString displayForm(const QString& word) {
    // The source follows the encoding of the Madina print's font, which writes the open
    // (successive) tanween with the subscript alef, the inverted damma and the fatha with two
    // dots; Amiri Quran draws them from their own code points.
    QString out = word;
    for (QChar& c : out) {
        switch (c.unicode()) {
        case 0x0657: c = QChar(0x08F0); break; // open fathatan
        case 0x065E: c = QChar(0x08F1); break; // open dammatan
        case 0x0656: c = QChar(0x08F2); break; // open kasratan
        default: break;
        }
    }
    return out;
}

QString arabicNumber(int number) {
    QString digits = QString::number(number);
    for (QChar& c : digits)
        c = QChar(0x0660 + c.digitValue());
    return digits;
}

std::vector<SuraText> portionText(const Portion& portion) {
    std::vector<SuraText> text;
    for (const Sura& sura : portion.suras) {
        SuraText out;
        out.number = sura.number;
        out.name = sura.arabicName;
        if (sura.number != 1) {
            const QStringList formula = ayaWords(portion.openingArabic);
            for (int i = 0; i < formula.size(); ++i)
                out.formula.push_back({displayForm(formula[i]), sura.number, 0, i, false, {}});
        }
        for (const Aya& aya : sura.ayas) {
            out.ayaStart.push_back(int(out.words.size()));
            const QStringList words = ayaWords(aya.arabic);
            // An aya of prostration holds the place-of-sajdah sign (U+06E9); its sajda word
            // carries the small high madda (U+06E4) in the source, which the printed copy
            // draws as a line over the word.
            const bool prostration = aya.arabic.contains(QChar(0x06E9));
            for (int i = 0; i < words.size(); ++i) {
                Word word{displayForm(words[i]), sura.number, aya.number, i, false, {}};
                if (prostration && word.text.contains(QChar(0x06E4))) {
                    word.text.remove(QChar(0x06E4));
                    word.sajda = true;
                }
                if (i == words.size() - 1) {
                    // The sign encloses the number that follows it; the no-break space keeps it
                    // on the line of the aya's last word.
                    word.text += QChar(0x00A0);
                    word.text += QChar(0x06DD);
                    word.text += arabicNumber(aya.number);
                    word.closesAya = true;
                }
                out.words.push_back(word);
            }
        }
        out.ayaStart.push_back(int(out.words.size()));
        text.push_back(std::move(out));
    }
    return text;
}

int sajdaLineGap(int pixelSize) { return std::max(2, int(std::lround(pixelSize / 9.0))); }
int sajdaLineThickness(int pixelSize) { return std::max(1, int(std::lround(pixelSize / 12.0))); }

void measureText(std::vector<SuraText>& text, InkMeter& meter) {
    const int size = meter.font().pixelSize();
    for (SuraText& sura : text) {
        for (Word& word : sura.formula)
            word.ink = meter.measure(word.text);
        for (Word& word : sura.words) {
            word.ink = meter.measure(word.text);
            word.sajdaLine = 0;
            if (word.sajda && !word.ink.empty) {
                // The word's own letters stand at the right end of its right-to-left run.
                qsizetype end = word.text.size();
                for (const QChar sign : {QChar(0x06E9), QChar(0x00A0)})
                    end = std::min(end, word.text.indexOf(sign) < 0 ? end : word.text.indexOf(sign));
                const Ink core = meter.measure(word.text.left(end));
                const double offset = word.ink.advance - core.advance;
                word.sajdaLeft = offset + core.left;
                word.sajdaRight = offset + core.right;
                word.sajdaLine = sajdaLineThickness(size);
                word.ink.top -= sajdaLineGap(size) + word.sajdaLine;
            }
        }
    }
}

} // namespace zelan::datagen::typeset
