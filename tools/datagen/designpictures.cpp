#include "designpictures.h"

#include "interfaceart.h"

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace zelan::datagen {

namespace {

using namespace palette;

// One corner radius and one line width for every frame, so the window reads as one design.
constexpr qreal kRadius = 6.0;
constexpr qreal kLine = 1.5;

QColor darker(const QColor& c, int factor) { return c.darker(factor); }

QImage blank(int w, int h, const QColor& fill = Qt::transparent) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

// A calm place for a group of controls: a slightly lighter green, a dark hairline and a gold
// inner line, so the controls drawn on it stand apart from the frame.
void calmPlace(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, kGreen.lighter(112));
    g.setColorAt(1, kListGreen);
    p.setPen(QPen(darker(kForest, 110), kLine));
    p.setBrush(g);
    p.drawRoundedRect(r, kRadius, kRadius);
    p.setPen(QPen(kPaleGold, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(3, 3, -3, -3), kRadius - 2, kRadius - 2);
}

// A framed opening: a forest band with a gold line around the rectangle `inside`, whose
// inside is filled with `paper` (the control drawn there paints over it).
void framedOpening(QPainter& p, const QRect& inside, int band, const QColor& paper) {
    const QRectF outer = QRectF(inside).adjusted(-band, -band, band, band);
    p.setPen(QPen(kGold, kLine));
    p.setBrush(kForest);
    p.drawRoundedRect(outer, kRadius, kRadius);
    p.setPen(QPen(kPaleGold, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(inside).adjusted(-2.5, -2.5, 2.5, 2.5));
    p.fillRect(inside, paper);
}

// A small eight-pointed star, the ornament used on the frame and in the logo.
void star(QPainter& p, QPointF c, qreal r, const QColor& colour) {
    QPainterPath path;
    for (int i = 0; i < 16; ++i) {
        const qreal radius = (i % 2 == 0) ? r : r * 0.55;
        const qreal a = M_PI / 8 * i - M_PI / 2;
        const QPointF pt(c.x() + radius * std::cos(a), c.y() + radius * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
}

QImage mainServices() {
    QImage image = blank(885, 665);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Ground: a soft vertical green, darker at the edges.
    QLinearGradient ground(0, 0, 0, 665);
    ground.setColorAt(0, QColor(86, 140, 92));
    ground.setColorAt(0.5, kGreen);
    ground.setColorAt(1, QColor(86, 140, 92));
    p.fillRect(image.rect(), ground);

    // Outer frame: forest band, gold double line, stars at the corners and the middles.
    // It stays within 11 pixels of the edge: the library panels start at x = 14.
    p.setPen(QPen(kForest, 6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(3, 3, 879, 659));
    p.setPen(QPen(kGold, 2));
    p.drawRoundedRect(QRectF(7, 7, 871, 651), kRadius, kRadius);
    p.setPen(QPen(kPaleGold, 1));
    p.drawRoundedRect(QRectF(10.5, 10.5, 864, 644), kRadius, kRadius);
    for (const QPointF c : {QPointF(7, 7), QPointF(878, 7), QPointF(7, 658), QPointF(878, 658),
                            QPointF(442.5, 7), QPointF(442.5, 658)})
        star(p, c, 8, kGold);

    // The clock's place: dark ground for the yellow time.
    p.setPen(QPen(kGold, kLine));
    p.setBrush(kForest.darker(130));
    p.drawRoundedRect(QRectF(29, 13, 88, 28), kRadius, kRadius);

    // A band between the headings that carries a quiet row of stars.
    p.setPen(QPen(kPaleGold, 1));
    p.drawLine(QPointF(170, 44), QPointF(715, 44));
    for (int x = 190; x <= 700; x += 34)
        star(p, QPointF(x, 44), 4, kPaleGold);

    // Heading places: the title pictures (121 x 40) sit inside these frames.
    for (const QPoint at : {QPoint(27, 102), QPoint(736, 102)})
        framedOpening(p, QRect(at, QSize(121, 40)), 5, kPage);

    // Calm places of the control groups: left column (sura list, aya box, reciter list and
    // the colour button's panel), right column (factor slider, recitation modes, range
    // settings), and the player strip under the page box.
    calmPlace(p, QRectF(12, 148, 154, 408));
    calmPlace(p, QRectF(719, 148, 154, 408));
    calmPlace(p, QRectF(236, 493, 424, 70));

    // The page box and its frame.
    framedOpening(p, QRect(242, 74, 412, 354), 8, kPage);

    // The page number box with the page button, and the half buttons on either side.
    calmPlace(p, QRectF(333, 443, 232, 48));
    framedOpening(p, QRect(434, 462, 30, 15), 3, Qt::white);

    // The translation box.
    framedOpening(p, QRect(119, 572, 661, 65), 6, kTranslationBox);
    return image;
}

QImage startClose() {
    QImage image = blank(46, 46);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(18, 16), 26);
    g.setColorAt(0, kGreen);
    g.setColorAt(1, kForest);
    p.setPen(QPen(kGold, 2));
    p.setBrush(g);
    p.drawEllipse(QRectF(2, 2, 42, 42));
    p.setPen(QPen(kPaleGold, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(6, 6, 34, 34));
    p.setPen(QPen(kLightText, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(30, 30));
    p.drawLine(QPointF(30, 16), QPointF(16, 30));
    return image;
}

struct Caption {
    const char* name;
    const char* arabic;
    const char* russian;
};

// What each caption says. The half captions are named by what they say: prevHalf ("one half
// back") stands beside the button that goes toward the start of the portion.
const Caption kCaptions[] = {
    {"firstSora", "السورة الأولى", "Первая сура"},
    {"prevSora", "السورة السابقة", "Предыдущая сура"},
    {"stop", "إيقاف", "Стоп"},
    {"playAya", "تشغيل", "Слушать"},
    {"pause", "إيقاف مؤقت", "Пауза"},
    {"nextSora", "السورة التالية", "Следующая сура"},
    {"lastSora", "السورة الأخيرة", "Последняя сура"},
    {"prevHalf", "النصف السابق", "Назад на полстраницы"},
    {"nextHalf", "النصف التالي", "Вперёд на полстраницы"},
    {"currentPage", "رقم الصفحة", "Номер страницы"},
    {"repeatAya", "تكرار المقطع", "Повтор отрывка"},
    {"playTargama", "صوت الترجمة", "Звук перевода"},
};

QImage caption(const QString& text, UiLanguage language) {
    QFont font(captionFamily(language));
    font.setPixelSize(12);
    font.setBold(true);
    const QFontMetricsF metrics(font);
    const int width = std::max(110, int(std::ceil(metrics.horizontalAdvance(text))) + 18);
    QImage image = blank(width, 22);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGold, kLine));
    p.setBrush(kForest);
    p.drawRoundedRect(QRectF(0.75, 0.75, width - 1.5, 20.5), kRadius, kRadius);
    p.setFont(font);
    p.setPen(kLightText);
    p.setLayoutDirection(language == UiLanguage::Arabic ? Qt::RightToLeft : Qt::LeftToRight);
    p.drawText(QRectF(0, 0, width, 22), Qt::AlignCenter, text);
    return image;
}

QImage currentPageButton() {
    QImage image = blank(30, 30);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A sheet with a folded corner and a few lines of text.
    QPainterPath sheet;
    sheet.moveTo(6, 3);
    sheet.lineTo(19, 3);
    sheet.lineTo(25, 9);
    sheet.lineTo(25, 27);
    sheet.lineTo(6, 27);
    sheet.closeSubpath();
    p.setPen(QPen(kForest, kLine));
    p.setBrush(kPage);
    p.drawPath(sheet);
    p.setBrush(kPaleGold);
    QPainterPath fold;
    fold.moveTo(19, 3);
    fold.lineTo(19, 9);
    fold.lineTo(25, 9);
    fold.closeSubpath();
    p.drawPath(fold);
    p.setPen(QPen(kGold, 1.5));
    for (int y = 13; y <= 23; y += 4)
        p.drawLine(QPointF(9.5, y), QPointF(21.5, y));
    return image;
}

QImage locationOk() {
    QImage image = blank(80, 30);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kForest, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(30, 15), QPointF(37, 22), QPointF(51, 8)}));
    return image;
}

QImage creditsBackground() {
    QImage image = blank(410, 367);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 367);
    g.setColorAt(0, kForest);
    g.setColorAt(1, QColor(60, 110, 70));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(kGold, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(4, 4, 402, 359), kRadius, kRadius);
    p.setPen(QPen(kPaleGold, 1));
    p.drawRoundedRect(QRectF(8, 8, 394, 351), kRadius, kRadius);
    // The scrolling credits (300 wide at (55, 100)) run over a cream window.
    framedOpening(p, QRect(55, 100, 300, 240), 5, kPage);
    for (const QPointF c : {QPointF(4, 4), QPointF(406, 4), QPointF(4, 363), QPointF(406, 363)})
        star(p, c, 7, kGold);
    for (int x = 80; x <= 330; x += 50)
        star(p, QPointF(x, 60), 6, kPaleGold);
    // Outside a rounded outline the window is see-through: the credits window cuts out the
    // pixels of exactly this one colour (its kCreditsKeyColour). Filled without smoothing, so
    // no blend of the key colour is left along the edge.
    QPainterPath outside;
    outside.addRect(QRectF(image.rect()));
    QPainterPath body;
    body.addRoundedRect(QRectF(image.rect()), 10, 10);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillPath(outside.subtracted(body), QColor(255, 0, 255));
    return image;
}

QImage creditsClose() {
    QImage image = blank(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGold, 1));
    p.setBrush(kForest);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(QPen(kLightText, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 5), QPointF(11, 11));
    p.drawLine(QPointF(11, 5), QPointF(5, 11));
    return image;
}

// The program's emblem: a rosette of petals, rings and a star with the name, on `ground`.
QImage emblem(int w, int h, const QColor& ground) {
    QImage image = blank(w, h, ground);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(w / 2.0, h / 2.0);
    // Rosette of sixteen petals behind concentric rings.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 16; ++i) {
        p.save();
        p.translate(c);
        p.rotate(22.5 * i);
        p.setBrush(i % 2 ? kPaleGold : kGold);
        p.drawEllipse(QRectF(-22, -164, 44, 80));
        p.restore();
    }
    p.setBrush(kForest);
    p.setPen(QPen(kGold, 5));
    p.drawEllipse(c, 126, 126);
    p.setPen(QPen(kPaleGold, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 112, 112);
    // Eight-pointed star of two squares.
    p.setPen(QPen(kGold, 3));
    p.setBrush(QColor(48, 100, 62));
    for (int k = 0; k < 2; ++k) {
        p.save();
        p.translate(c);
        p.rotate(45 * k);
        p.drawRect(QRectF(-76, -76, 152, 152));
        p.restore();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(48, 100, 62));
    p.drawEllipse(c, 74, 74);
    QFont arabic(headingFamily(UiLanguage::Arabic));
    arabic.setPixelSize(62);
    arabic.setBold(true);
    p.setFont(arabic);
    p.setPen(kPaleGold);
    p.setLayoutDirection(Qt::RightToLeft);
    p.drawText(QRectF(c.x() - 90, c.y() - 62, 180, 80), Qt::AlignCenter, QStringLiteral("زيلان"));
    QFont latin(captionFamily(UiLanguage::Russian));
    latin.setPixelSize(20);
    latin.setBold(true);
    latin.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    p.setFont(latin);
    p.setLayoutDirection(Qt::LeftToRight);
    p.drawText(QRectF(c.x() - 90, c.y() + 18, 180, 30), Qt::AlignCenter, QStringLiteral("ZELAN"));
    star(p, QPointF(c.x(), c.y() + 95), 9, kGold);
    star(p, QPointF(c.x(), c.y() - 95), 9, kGold);
    return image;
}

// 28.6 x 28.8 mm at 300 dpi.
QImage reportLogo() {
    QImage image = emblem(338, 340, Qt::white);
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    return image;
}

// The icon of the program in a desktop's menu: the emblem on a transparent ground.
QImage programIcon() {
    return emblem(338, 338, Qt::transparent).scaled(256, 256, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

std::vector<std::pair<QString, QImage>> designPictures() {
    QString fontError;
    loadInterfaceFonts(&fontError);
    std::vector<std::pair<QString, QImage>> pictures;
    pictures.emplace_back(QStringLiteral("main_services.png"), mainServices());
    pictures.emplace_back(QStringLiteral("start_close.png"), startClose());
    for (const Caption& c : kCaptions) {
        const QString name = QString::fromLatin1(c.name);
        pictures.emplace_back(QStringLiteral("caption_%1_ara.png").arg(name),
                              caption(QString::fromUtf8(c.arabic), UiLanguage::Arabic));
        pictures.emplace_back(QStringLiteral("caption_%1_rus.png").arg(name),
                              caption(QString::fromUtf8(c.russian), UiLanguage::Russian));
    }
    pictures.emplace_back(QStringLiteral("currentPage_bt.png"), currentPageButton());
    pictures.emplace_back(QStringLiteral("location_ok.png"), locationOk());
    pictures.emplace_back(QStringLiteral("credits_background.png"), creditsBackground());
    pictures.emplace_back(QStringLiteral("credits_close.png"), creditsClose());
    pictures.emplace_back(QStringLiteral("report_logo.png"), reportLogo());
    pictures.emplace_back(QStringLiteral("zelan_icon.png"), programIcon());
    return pictures;
}

bool writeDesignPictures(const QString& folder, QString* error) {
    if (!loadInterfaceFonts(error))
        return false;
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    const QDir dir(folder);
    for (const auto& [name, image] : designPictures()) {
        const QString path = dir.filePath(name);
        if (!image.save(path, "PNG")) {
            *error = QStringLiteral("cannot write the design picture %1").arg(path);
            return false;
        }
    }
    return true;
}

} // namespace zelan::datagen
