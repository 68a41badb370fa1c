#include "translations.h"

#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace zelan::datagen {

namespace {
const char kFontFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
QString g_family;
constexpr int kPadding = 4;
constexpr int kPixelSize = 16;
const QColor kPaper(255, 255, 237); // the translation box's colour, so the picture blends in
const QColor kInk(28, 32, 64);
} // namespace

bool loadTranslationFont(QString* error) {
    if (!g_family.isEmpty())
        return true;
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kFontFile));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty()) {
        if (error) {
            *error = QStringLiteral("The font %1 is missing or unreadable: install the Debian package fonts-dejavu-core")
                         .arg(QString::fromLatin1(kFontFile));
        }
        return false;
    }
    g_family = families.first();
    return true;
}

QImage translationPicture(const QString& text) {
    QFont font(g_family);
    font.setPixelSize(kPixelSize);
    font.setHintingPreference(QFont::PreferFullHinting);
    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    const qreal lineWidth = kTranslationWidth - 2 * kPadding;
    qreal y = kPadding;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(kPadding, y));
        y += std::ceil(line.height());
    }
    layout.endLayout();
    const int height = int(std::ceil(y)) + kPadding;
    QImage picture(kTranslationWidth, height, QImage::Format_RGB32);
    picture.fill(kPaper);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(kInk);
    layout.draw(&painter, QPointF(0, 0));
    painter.end();
    return picture;
}

} // namespace zelan::datagen
