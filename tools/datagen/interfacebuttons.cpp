// The button pictures of the two picture libraries: every image button of the program in its
// normal, hover and pressed look (and the active look of four player buttons), as BMP files
// whose key colour around the plate becomes transparent when the windows load them.

#include "interfaceart.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <cmath>
#include <functional>

namespace zelan::datagen {

namespace {

enum class Look { Normal, Hover, Pressed, Active };

// One corner radius and one rim for every plate, so the buttons of all windows belong together.
constexpr qreal kRadius = 9.0;
constexpr qreal kRim = 1.5;

struct PlateColours {
    QColor top, bottom, rim, ring;
};

PlateColours plateColours(Look look) {
    switch (look) {
    case Look::Hover:
        return {QColor(168, 218, 166), QColor(116, 182, 120), palette::kForest, palette::kPaleGold};
    case Look::Pressed:
        return {QColor(86, 140, 88), QColor(62, 108, 64), QColor(24, 58, 36), QColor(70, 120, 72)};
    case Look::Active:
        return {QColor(232, 112, 88), palette::kActive, QColor(110, 28, 18), palette::kPaleGold};
    case Look::Normal:
        break;
    }
    return {QColor(134, 194, 136), QColor(92, 152, 96), palette::kForest, QColor(176, 220, 170)};
}

// Draws a glyph (or a caption) into `box` in the colour `ink`. Called twice per picture: first
// as a soft dark shadow, then in the light ink, so the glyph stays legible on every plate.
using GlyphPainter = std::function<void(QPainter&, const QRectF& box, const QColor& ink)>;

// The plate is drawn antialiased onto a transparent canvas and then laid onto the key colour
// with a hard edge: a pixel at least half covered becomes opaque (its open part filled with
// the rim colour, never with the key), the rest becomes the key. So no pinkish fringe can show
// where the window's background replaces the key colour.
QImage flattenOntoKey(const QImage& canvas, const QColor& rim) {
    QImage out(canvas.size(), QImage::Format_RGB32);
    const QRgb key = palette::kButtonKey.rgb();
    for (int y = 0; y < canvas.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb p = src[x]; // premultiplied
            const int a = qAlpha(p);
            if (a < 128) {
                dst[x] = key;
                continue;
            }
            const int r = qRed(p) + (255 - a) * rim.red() / 255;
            const int g = qGreen(p) + (255 - a) * rim.green() / 255;
            const int b = qBlue(p) + (255 - a) * rim.blue() / 255;
            QRgb c = qRgb(qMin(r, 255), qMin(g, 255), qMin(b, 255));
            if (c == key) // the key inside the shape would punch a hole into the button
                c = qRgb(254, 0, 255);
            dst[x] = c;
        }
    }
    return out;
}

QPainterPath roundedPlate(const QRectF& r) {
    QPainterPath path;
    path.addRoundedRect(r, kRadius, kRadius);
    return path;
}

// A button picture of `size`: the plate in its look with the glyph centred in the plate's inner
// area shrunk by `glyphInset` on each side. The pressed look sinks the whole button by one pixel
// down and right and drops the shadow under it.
QImage drawButton(QSize size, Look look, qreal glyphInset, const GlyphPainter& glyph) {
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    const PlateColours colours = plateColours(look);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setPen(Qt::NoPen);
        const QRectF plate(0, 0, size.width() - 1, size.height() - 1);
        if (look != Look::Pressed) {
            p.setBrush(QColor(20, 48, 30));
            p.drawPath(roundedPlate(plate.translated(1, 1)));
        } else {
            p.translate(1, 1);
        }
        p.setBrush(colours.rim);
        p.drawPath(roundedPlate(plate));
        const QRectF inner = plate.adjusted(kRim, kRim, -kRim, -kRim);
        QLinearGradient fill(inner.topLeft(), inner.bottomLeft());
        fill.setColorAt(0, colours.top);
        fill.setColorAt(1, colours.bottom);
        p.setBrush(fill);
        p.drawPath(roundedPlate(inner));
        // A thin inner ring: pale gold on hover and when active (a glowing edge), a lighter
        // green otherwise.
        const qreal ringWidth = look == Look::Active ? 2.0 : 1.0;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colours.ring, ringWidth));
        const qreal ri = kRim + ringWidth / 2 + 0.5;
        p.drawRoundedRect(plate.adjusted(ri, ri, -ri, -ri), kRadius - ri, kRadius - ri);
        p.setPen(Qt::NoPen);

        const QRectF box = plate.adjusted(glyphInset, glyphInset, -glyphInset, -glyphInset);
        QColor shadow = look == Look::Active ? QColor(90, 20, 10) : QColor(palette::kForest);
        shadow.setAlpha(150);
        p.save();
        p.translate(0.8, 1.0);
        glyph(p, box, shadow);
        p.restore();
        glyph(p, box, palette::kLightText);
    }
    return flattenOntoKey(canvas, colours.rim);
}

// ---- glyph shapes ----

QPainterPath triangle(const QRectF& r, bool pointsRight) {
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(r.left(), r.top());
        path.lineTo(r.right(), r.center().y());
        path.lineTo(r.left(), r.bottom());
    } else {
        path.moveTo(r.right(), r.top());
        path.lineTo(r.left(), r.center().y());
        path.lineTo(r.right(), r.bottom());
    }
    path.closeSubpath();
    return path;
}

// Sura navigation: two triangles pointing the way, with a bar at the end for first and last.
GlyphPainter suraGlyph(bool pointsRight, bool withBar) {
    return [=](QPainter& p, const QRectF& box, const QColor& ink) {
        const qreal h = box.height() * 0.72;
        const qreal tw = box.width() * (withBar ? 0.36 : 0.44);
        const qreal bar = withBar ? box.width() * 0.13 : 0;
        const qreal total = 2 * tw + bar;
        const qreal top = box.center().y() - h / 2;
        qreal x = box.center().x() - total / 2;
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        if (withBar && !pointsRight) {
            path.addRect(QRectF(x, top, bar, h));
            x += bar;
        }
        path.addPath(triangle(QRectF(x, top, tw, h), pointsRight));
        x += tw;
        path.addPath(triangle(QRectF(x, top, tw, h), pointsRight));
        x += tw;
        if (withBar && pointsRight)
            path.addRect(QRectF(x, top, bar, h));
        p.fillPath(path, ink);
    };
}

void stopGlyph(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal s = box.width() * 0.66;
    QPainterPath path;
    path.addRoundedRect(QRectF(box.center().x() - s / 2, box.center().y() - s / 2, s, s), 2, 2);
    p.fillPath(path, ink);
}

void playGlyph(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal h = box.height() * 0.8;
    const qreal w = h * 0.87;
    // The triangle's centre of mass sits a third from its base: shift it so it looks centred.
    const QRectF r(box.center().x() - w * 0.42, box.center().y() - h / 2, w, h);
    p.fillPath(triangle(r, true), ink);
}

void pauseGlyph(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal h = box.height() * 0.74;
    const qreal bw = box.width() * 0.24;
    const qreal gap = box.width() * 0.2;
    const qreal top = box.center().y() - h / 2;
    QPainterPath path;
    path.addRoundedRect(QRectF(box.center().x() - gap / 2 - bw, top, bw, h), 1.5, 1.5);
    path.addRoundedRect(QRectF(box.center().x() + gap / 2, top, bw, h), 1.5, 1.5);
    p.fillPath(path, ink);
}

qreal strokeFor(const QRectF& box) { return qMax(2.5, box.width() * 0.13); }

// Page half buttons: a plain arrow (shaft and head), unlike the triangles of the sura buttons.
GlyphPainter arrowGlyph(bool pointsRight) {
    return [=](QPainter& p, const QRectF& box, const QColor& ink) {
        const qreal sw = strokeFor(box);
        const qreal cy = box.center().y();
        const qreal head = box.width() * 0.4;
        const qreal l = box.left() + box.width() * 0.08, r = box.right() - box.width() * 0.08;
        QPen pen(ink, sw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        const qreal tip = pointsRight ? r : l;
        const qreal back = pointsRight ? tip - head : tip + head;
        path.moveTo(pointsRight ? l : r, cy);
        path.lineTo(tip, cy);
        path.moveTo(back, cy - head);
        path.lineTo(tip, cy);
        path.lineTo(back, cy + head);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
    };
}

// Sura index: a list of three lines with bullets, the bullets on the reading side.
GlyphPainter indexGlyph(UiLanguage language) {
    const bool rtl = language == UiLanguage::Arabic;
    return [=](QPainter& p, const QRectF& box, const QColor& ink) {
        const qreal rowH = box.height() / 3;
        const qreal dot = rowH * 0.5;
        const qreal lineH = qMax(2.5, rowH * 0.32);
        QPainterPath path;
        for (int i = 0; i < 3; ++i) {
            const qreal cy = box.top() + rowH * (i + 0.5);
            const qreal dotX = rtl ? box.right() - dot : box.left();
            path.addEllipse(QRectF(dotX, cy - dot / 2, dot, dot));
            const qreal lineL = rtl ? box.left() : box.left() + dot * 1.8;
            const qreal lineR = rtl ? box.right() - dot * 1.8 : box.right();
            path.addRoundedRect(QRectF(lineL, cy - lineH / 2, lineR - lineL, lineH), lineH / 2, lineH / 2);
        }
        p.fillPath(path, ink);
    };
}

// The shadow pass paints in a translucent colour; glyphs with more than one colour draw only
// their outline shape in it.
bool isShadowPass(const QColor& ink) { return ink.alpha() < 255; }

// Print translation: a printer with a sheet going in at the top and a printed sheet coming out.
void printerGlyph(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal w = box.width(), h = box.height();
    const qreal x = box.left(), y = box.top();
    const qreal gap = qMax(1.5, w * 0.07);
    QPainterPath inSheet;
    inSheet.addRect(QRectF(x + w * 0.24, y, w * 0.52, h * 0.3));
    QPainterPath body;
    body.addRoundedRect(QRectF(x, y + h * 0.3, w, h * 0.4), 2.5, 2.5);
    const QRectF outRect(x + w * 0.2, y + h * 0.56, w * 0.6, h * 0.44);
    QPainterPath outSheet;
    outSheet.addRect(outRect);
    QPainterPath outGap;
    outGap.addRect(outRect.adjusted(-gap, -gap, gap, 0));
    QPainterPath lines;
    for (int i = 0; i < 2; ++i)
        lines.addRect(QRectF(outRect.left() + gap, outRect.top() + gap * (1.6 + 2.2 * i), outRect.width() - 2 * gap,
                             gap * 0.9));
    QPainterPath shape = inSheet.subtracted(body);
    shape.addPath(body.subtracted(outGap));
    shape.addPath(outSheet.subtracted(lines));
    p.fillPath(shape, ink);
}

GlyphPainter textGlyph(QString text, QString family, bool bold, qreal sizeFactor) {
    return [=](QPainter& p, const QRectF& box, const QColor& ink) {
        QFont font(family);
        font.setBold(bold);
        qreal px = box.height() * sizeFactor;
        font.setPixelSize(qMax(6, int(std::lround(px))));
        // Shrink until the text fits the box's width.
        while (QFontMetricsF(font).horizontalAdvance(text) > box.width() && font.pixelSize() > 6)
            font.setPixelSize(font.pixelSize() - 1);
        p.setFont(font);
        p.setPen(ink);
        p.drawText(box, Qt::AlignCenter, text);
        p.setPen(Qt::NoPen);
    };
}

GlyphPainter helpGlyph(UiLanguage language) {
    // The Arabic question mark is the mirrored one.
    const QString mark = language == UiLanguage::Arabic ? QString(QChar(0x061F)) : QStringLiteral("?");
    return textGlyph(mark, captionFamily(language), true, 1.15);
}

// Highlight colour: a drop of the default highlight red with a light outline.
void colourGlyph(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal w = box.width() * 0.7, h = box.height();
    const qreal cx = box.center().x();
    const qreal r = w / 2;
    const qreal cy = box.bottom() - r;
    QPainterPath drop;
    drop.moveTo(cx, box.top());
    drop.cubicTo(cx + r * 0.3, box.top() + h * 0.25, cx + r, cy - r * 0.6, cx + r, cy);
    drop.arcTo(QRectF(cx - r, cy - r, w, w), 0, -180);
    drop.cubicTo(cx - r, cy - r * 0.6, cx - r * 0.3, box.top() + h * 0.25, cx, box.top());
    drop.closeSubpath();
    if (isShadowPass(ink)) {
        p.fillPath(drop, ink);
        return;
    }
    p.fillPath(drop, QColor(220, 36, 36));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, qMax(1.6, box.width() * 0.08)));
    p.drawPath(drop);
    // A small glint.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 190));
    p.drawEllipse(QRectF(cx - r * 0.5, cy - r * 0.35, r * 0.35, r * 0.45));
    p.setBrush(Qt::NoBrush);
}

void closeGlyph(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal m = box.width() * 0.14;
    const QRectF r = box.adjusted(m, m, -m, -m);
    p.setPen(QPen(ink, strokeFor(box) * 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
    p.setPen(Qt::NoPen);
}

// Range repetition: two circular arrows chasing each other.
void repeatGlyph(QPainter& p, const QRectF& box, const QColor& ink) {
    const qreal sw = strokeFor(box) * 0.9;
    const QRectF ring = box.adjusted(sw, sw, -sw, -sw);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, sw, Qt::SolidLine, Qt::FlatCap));
    const qreal rad = ring.width() / 2;
    const QPointF c = ring.center();
    const qreal head = sw * 1.5;
    for (int half = 0; half < 2; ++half) {
        const qreal start = half == 0 ? 200 : 20; // degrees, counter-clockwise from 3 o'clock
        const qreal span = -130;
        QPainterPath arc;
        arc.arcMoveTo(ring, start);
        arc.arcTo(ring, start, span);
        p.drawPath(arc);
        // Arrow head at the arc's end, pointing along the clockwise direction.
        const qreal endDeg = start + span;
        const qreal a = qDegreesToRadians(endDeg);
        const QPointF tip(c.x() + rad * std::cos(a), c.y() - rad * std::sin(a));
        // Clockwise tangent in screen coordinates.
        const QPointF tangent(std::sin(a), std::cos(a));
        const QPointF normal(std::cos(a), -std::sin(a));
        QPainterPath arrow;
        arrow.moveTo(tip + tangent * head * 1.1);
        arrow.lineTo(tip + normal * head - tangent * head * 0.4);
        arrow.lineTo(tip - normal * head - tangent * head * 0.4);
        arrow.closeSubpath();
        p.setPen(Qt::NoPen);
        p.fillPath(arrow, ink);
        p.setPen(QPen(ink, sw, Qt::SolidLine, Qt::FlatCap));
    }
    p.setPen(Qt::NoPen);
}

// Translation sound: a solid speech bubble with the letter of the translation cut out of it.
GlyphPainter translationSoundGlyph(UiLanguage language) {
    const bool arabic = language == UiLanguage::Arabic;
    return [=](QPainter& p, const QRectF& box, const QColor& ink) {
        const QRectF bubble(box.left(), box.top(), box.width(), box.height() * 0.8);
        QPainterPath shape;
        shape.addRoundedRect(bubble, bubble.height() * 0.3, bubble.height() * 0.3);
        // The tail hangs below the side where the reading starts.
        const qreal dir = arabic ? 1 : -1;
        const qreal tx = bubble.center().x() + dir * bubble.width() * 0.22;
        QPainterPath tail;
        tail.moveTo(tx - bubble.width() * 0.14, bubble.bottom() - 2);
        tail.lineTo(tx + bubble.width() * 0.14, bubble.bottom() - 2);
        tail.lineTo(tx + dir * bubble.width() * 0.2, box.bottom());
        tail.closeSubpath();
        shape = shape.united(tail);
        // Three lines of "speech" cut out of the bubble, the shortest on the side where the
        // reading ends. Drawn as shapes, not as a letter, so the picture never depends on the
        // font cache and is the same in every build.
        QPainterPath text;
        const qreal lineHeight = bubble.height() * 0.12;
        for (int i = 0; i < 3; ++i) {
            const qreal width = bubble.width() * (i == 2 ? 0.38 : 0.58);
            const qreal y = bubble.top() + bubble.height() * (0.24 + 0.2 * i);
            const qreal x = arabic ? bubble.center().x() + bubble.width() * 0.29 - width
                                   : bubble.center().x() - bubble.width() * 0.29;
            text.addRoundedRect(QRectF(x, y, width, lineHeight), lineHeight / 2, lineHeight / 2);
        }
        p.fillPath(shape.subtracted(text), ink);
    };
}

// Credits: three people, the middle one in front.
void creditsGlyph(QPainter& p, const QRectF& box, const QColor& ink) {
    auto person = [&](qreal cx, qreal scale) {
        QPainterPath path;
        const qreal headR = box.width() * 0.13 * scale;
        const qreal top = box.bottom() - box.height() * 0.92 * scale;
        path.addEllipse(QPointF(cx, top + headR), headR, headR);
        const qreal bodyW = box.width() * 0.42 * scale;
        const qreal bodyTop = top + headR * 2 + box.height() * 0.05;
        QPainterPath body;
        body.moveTo(cx - bodyW / 2, box.bottom());
        body.lineTo(cx - bodyW / 2, bodyTop + bodyW / 2);
        body.arcTo(QRectF(cx - bodyW / 2, bodyTop, bodyW, bodyW), 180, -180);
        body.lineTo(cx + bodyW / 2, box.bottom());
        body.closeSubpath();
        path.addPath(body);
        return path;
    };
    const QPainterPath middle = person(box.center().x(), 1.0);
    // The two behind are cut back around the one in front, so the figures stay apart in one ink.
    QPainterPathStroker stroker;
    stroker.setWidth(qMax(2.0, box.width() * 0.1));
    const QPainterPath clearance = stroker.createStroke(middle).united(middle);
    QPainterPath group = person(box.left() + box.width() * 0.18, 0.78).subtracted(clearance);
    group.addPath(person(box.right() - box.width() * 0.18, 0.78).subtracted(clearance));
    group.addPath(middle);
    p.fillPath(group, ink);
}

// ---- captions of the text buttons ----

QString languageName(UiLanguage named, UiLanguage in) {
    if (named == UiLanguage::Arabic)
        return in == UiLanguage::Arabic ? QStringLiteral("العربية") : QStringLiteral("Арабский");
    return in == UiLanguage::Arabic ? QStringLiteral("الروسية") : QStringLiteral("Русский");
}

QString ownFamily(UiLanguage language) { return headingFamily(language); }

// A language button of the start window: the language's own name in large letters, and, when
// the library speaks another language, that language's name for it in small letters below.
GlyphPainter languageGlyph(UiLanguage named, UiLanguage library) {
    return [=](QPainter& p, const QRectF& box, const QColor& ink) {
        const QString own = languageName(named, named);
        const bool withGloss = named != library;
        const bool arabicOwn = named == UiLanguage::Arabic;
        QRectF big = box;
        if (withGloss)
            big.setBottom(box.top() + box.height() * 0.66);
        textGlyph(own, ownFamily(named), true, arabicOwn ? (withGloss ? 0.95 : 0.78) : (withGloss ? 0.62 : 0.5))(
            p, big.translated(0, arabicOwn ? -box.height() * 0.04 : 0), ink);
        if (withGloss) {
            QRectF small = box;
            small.setTop(big.bottom());
            // Amiri's letters are small for their size: give the Arabic gloss more height.
            const bool arabicGloss = library == UiLanguage::Arabic;
            textGlyph(languageName(named, library), arabicGloss ? headingFamily(library) : captionFamily(library),
                      arabicGloss, arabicGloss ? 1.45 : 0.95)(p, small.translated(0, arabicGloss ? -2 : 0), ink);
        }
    };
}

// Swap the start window's language: two opposed arrows and the other language's short name,
// the arrows on the side where that language's reading starts.
GlyphPainter swapGlyph(UiLanguage library) {
    return [=](QPainter& p, const QRectF& box, const QColor& ink) {
        const UiLanguage other = library == UiLanguage::Arabic ? UiLanguage::Russian : UiLanguage::Arabic;
        const qreal arrowsW = box.height() * 1.0;
        const bool arrowsLeft = library == UiLanguage::Russian;
        const QRectF arrows(arrowsLeft ? box.left() : box.right() - arrowsW, box.top(), arrowsW, box.height());
        const qreal sw = qMax(2.5, arrows.height() * 0.1);
        const qreal head = arrows.height() * 0.18;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, sw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal y1 = arrows.top() + arrows.height() * 0.3, y2 = arrows.top() + arrows.height() * 0.7;
        const qreal l = arrows.left() + sw, r = arrows.right() - sw;
        QPainterPath path;
        path.moveTo(l, y1);
        path.lineTo(r, y1);
        path.moveTo(r - head, y1 - head);
        path.lineTo(r, y1);
        path.lineTo(r - head, y1 + head);
        path.moveTo(r, y2);
        path.lineTo(l, y2);
        path.moveTo(l + head, y2 - head);
        path.lineTo(l, y2);
        path.lineTo(l + head, y2 + head);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        const qreal gap = box.height() * 0.25;
        const QRectF text = arrowsLeft ? box.adjusted(arrowsW + gap, 0, 0, 0) : box.adjusted(0, 0, -arrowsW - gap, 0);
        const QString name = other == UiLanguage::Arabic ? QStringLiteral("عربي") : QStringLiteral("Рус");
        textGlyph(name, ownFamily(other), true, other == UiLanguage::Arabic ? 0.95 : 0.62)(
            p, other == UiLanguage::Arabic ? text.translated(0, -box.height() * 0.04) : text, ink);
    };
}

GlyphPainter okGlyph(UiLanguage language) {
    if (language == UiLanguage::Arabic)
        return textGlyph(QStringLiteral("موافق"), headingFamily(language), true, 1.05);
    return textGlyph(QStringLiteral("ОК"), headingFamily(language), true, 0.75);
}

GlyphPainter cancelGlyph(UiLanguage language) {
    if (language == UiLanguage::Arabic)
        return textGlyph(QStringLiteral("إلغاء"), headingFamily(language), true, 1.05);
    return textGlyph(QStringLiteral("Отмена"), headingFamily(language), true, 0.75);
}

// ---- the button table ----

struct ButtonKind {
    int normal, hover, pressed;
    bool pressedIsActive; // the player buttons whose pressed picture is also their "on" picture
    QSize size;
    qreal glyphInset;
    GlyphPainter glyph;
};

constexpr QSize kStartSize(150, 56);
constexpr QSize kDialogSize(100, 40);
constexpr QSize kPlayerSize(44, 44);
constexpr QSize kToolSize(40, 40);

std::vector<ButtonKind> buttonKinds(UiLanguage language) {
    const qreal startInset = 9, dialogInset = 8, playerInset = 11, toolInset = 10;
    // In this right-to-left book the beginning lies to the right: "first", "previous" and the
    // half back toward the start point right; "next", "last" and the half forward point left.
    return {
        {327, 469, 470, false, kStartSize, startInset, languageGlyph(UiLanguage::Arabic, language)},
        {328, 471, 472, false, kStartSize, startInset, languageGlyph(UiLanguage::Russian, language)},
        {466, 473, 474, false, kStartSize, startInset, swapGlyph(language)},
        {467, 475, 476, false, kDialogSize, dialogInset, okGlyph(language)},
        {468, 477, 478, false, kDialogSize, dialogInset, cancelGlyph(language)},
        {480, 481, 482, false, kPlayerSize, playerInset, suraGlyph(true, true)},
        {483, 485, 486, false, kPlayerSize, playerInset, suraGlyph(true, false)},
        {487, 488, 489, false, kPlayerSize, playerInset, stopGlyph},
        {490, 491, 508, true, kPlayerSize, playerInset, playGlyph},
        {493, 494, 509, true, kPlayerSize, playerInset, pauseGlyph},
        {496, 497, 498, false, kPlayerSize, playerInset, suraGlyph(false, false)},
        {499, 500, 501, false, kPlayerSize, playerInset, suraGlyph(false, true)},
        {502, 503, 504, false, kToolSize, toolInset, indexGlyph(language)},
        {505, 506, 507, false, kToolSize, toolInset - 1, printerGlyph},
        {511, 512, 513, false, kToolSize, toolInset, helpGlyph(language)},
        {514, 515, 516, false, kToolSize, toolInset - 1, colourGlyph},
        {517, 518, 519, false, kToolSize, toolInset, arrowGlyph(true)},
        {520, 521, 522, false, kToolSize, toolInset, arrowGlyph(false)},
        {523, 524, 525, false, kToolSize, toolInset, closeGlyph},
        {526, 527, 529, true, kPlayerSize, playerInset - 2, repeatGlyph},
        {530, 531, 533, true, kPlayerSize, playerInset - 2, translationSoundGlyph(language)},
        {534, 535, 536, false, kToolSize, toolInset - 2, creditsGlyph},
    };
}

void putLe16(QByteArray& out, quint16 v) {
    const quint16 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&le), 2);
}
void putLe32(QByteArray& out, quint32 v) {
    const quint32 le = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

} // namespace

std::vector<InterfacePicture> buttonPictures(UiLanguage language) {
    QString error;
    loadInterfaceFonts(&error); // a missing face falls back to the default one; the driver reports it
    std::vector<InterfacePicture> pictures;
    for (const ButtonKind& kind : buttonKinds(language)) {
        pictures.push_back({kind.normal, drawButton(kind.size, Look::Normal, kind.glyphInset, kind.glyph), true});
        pictures.push_back({kind.hover, drawButton(kind.size, Look::Hover, kind.glyphInset, kind.glyph), true});
        const Look pressed = kind.pressedIsActive ? Look::Active : Look::Pressed;
        pictures.push_back({kind.pressed, drawButton(kind.size, pressed, kind.glyphInset, kind.glyph), true});
    }
    return pictures;
}

QByteArray encodeBmp24(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const quint32 width = quint32(rgb.width()), height = quint32(rgb.height());
    const quint32 rowBytes = (width * 3 + 3) & ~3u;
    const quint32 pixelBytes = rowBytes * height;
    constexpr quint32 kHeaders = 14 + 40;
    QByteArray out;
    out.reserve(qsizetype(kHeaders + pixelBytes));
    // BITMAPFILEHEADER
    out.append("BM", 2);
    putLe32(out, kHeaders + pixelBytes);
    putLe32(out, 0);
    putLe32(out, kHeaders);
    // BITMAPINFOHEADER: positive height, so the rows run bottom-up.
    putLe32(out, 40);
    putLe32(out, width);
    putLe32(out, height);
    putLe16(out, 1);  // planes
    putLe16(out, 24); // bits per pixel
    putLe32(out, 0);  // BI_RGB
    putLe32(out, pixelBytes);
    putLe32(out, 2835); // 72 dpi
    putLe32(out, 2835);
    putLe32(out, 0);
    putLe32(out, 0);
    QByteArray row(qsizetype(rowBytes), '\0');
    for (int y = int(height) - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        char* dst = row.data();
        for (quint32 x = 0; x < width; ++x) {
            dst[x * 3 + 0] = char(qBlue(line[x]));
            dst[x * 3 + 1] = char(qGreen(line[x]));
            dst[x * 3 + 2] = char(qRed(line[x]));
        }
        out.append(row);
    }
    return out;
}

} // namespace zelan::datagen
