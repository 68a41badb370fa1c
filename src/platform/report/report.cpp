#include "report.h"

#include <QFile>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

namespace zelan::report {

namespace {

constexpr double kEpsilon = 1e-6;

// Heights come from handlers that compute them from pictures; a negative or undefined height
// lays out as an empty band instead of moving the page backwards.
double saneHeight(double height) {
    return std::isfinite(height) && height > 0 ? height : 0;
}

QRectF toDevice(const QRectF& mm, QSizeF dotsPerMm) {
    return QRectF(mm.x() * dotsPerMm.width(), mm.y() * dotsPerMm.height(), mm.width() * dotsPerMm.width(),
                  mm.height() * dotsPerMm.height());
}

// A line of one screen pixel, the width the report's lines were designed with.
double hairline(QSizeF dotsPerMm) {
    return std::max(1.0, pixelsToMm(1) * dotsPerMm.width());
}

void drawFrame(QPainter& painter, const QRectF& r, Sides sides, QSizeF dotsPerMm) {
    if (!sides.any())
        return;
    const double w = hairline(dotsPerMm);
    painter.setPen(QPen(Qt::black, w, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    // Inside the element, so that its clip does not cut the line in half.
    const QRectF in = r.adjusted(w / 2, w / 2, -w / 2, -w / 2);
    if (sides.left)
        painter.drawLine(in.topLeft(), in.bottomLeft());
    if (sides.top)
        painter.drawLine(in.topLeft(), in.topRight());
    if (sides.right)
        painter.drawLine(in.topRight(), in.bottomRight());
    if (sides.bottom)
        painter.drawLine(in.bottomLeft(), in.bottomRight());
}

void drawImage(QPainter& painter, const Element& e, const QRectF& r, QSizeF dotsPerMm) {
    if (e.picture.isNull() || r.isEmpty())
        return;
    if (e.stretch) {
        painter.drawImage(r, e.picture);
        return;
    }
    QSizeF size(pixelsToMm(e.picture.width()) * dotsPerMm.width(),
                pixelsToMm(e.picture.height()) * dotsPerMm.height());
    if (!e.center) {
        painter.drawImage(QRectF(r.topLeft(), size), e.picture);
        return;
    }
    if (size.width() > r.width() || size.height() > r.height())
        size.scale(r.size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(), size);
    target.moveCenter(r.center());
    painter.drawImage(target, e.picture);
}

void drawText(QPainter& painter, const Element& e, const QString& text, const QFont& reportFont,
              const QRectF& r) {
    QFont font = e.font.value_or(reportFont);
    if (font.pixelSize() > 0)
        font = fontFromPixels(font, font.pixelSize());
    painter.setFont(font);
    painter.setPen(e.colour);
    painter.setLayoutDirection(e.direction);
    painter.drawText(r, int(e.alignment) | Qt::TextSingleLine, text);
}

} // namespace

QFont fontFromPixels(QFont font, int pixels) {
    font.setPointSizeF(pixels * 72.0 / kScreenDotsPerInch);
    return font;
}

void Element::setPicture(QImage image) {
    picture = std::move(image);
    if (autoSize)
        rect.setSize(QSizeF(pixelsToMm(picture.width()), pixelsToMm(picture.height())));
}

Element* Band::addElement(Element element) {
    m_elements.push_back(std::move(element));
    return &m_elements.back();
}

Element* Band::element(const QString& name) {
    for (Element& e : m_elements) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

// Lays bands out on pages top to bottom, starting a page when the next band does not fit above
// the footer.
class Report::Layout {
public:
    Layout(const Report& report, std::vector<Page>& pages, QDate date)
        : m_report(report), m_pages(pages), m_date(date) {
        const Band* footer = report.band(BandType::PageFooter);
        m_bottom = report.page.paper.height() - report.page.margins.bottom() -
                   (footer ? saneHeight(footer->height) : 0);
    }

    // Runs the band's handler and keeps the band as it is now, fields read.
    PlacedBand snapshot(Band& band) const {
        if (band.beforePrint)
            band.beforePrint(band);
        PlacedBand placed{band.type(),  band.name(),    0, saneHeight(band.height), band.colour,
                          band.topLine, band.elements()};
        for (Element& e : placed.elements) {
            if (e.kind == Element::Kind::Text && e.field)
                e.text = e.field();
            else if (e.kind == Element::Kind::Date)
                e.text = QLocale().toString(m_date, QLocale::ShortFormat);
            // A page number is known only once the band has its page; it is drawn then.
            if (e.onPrint && e.kind != Element::Kind::PageNumber)
                e.onPrint(e.text);
            e.field = nullptr;
            if (e.kind != Element::Kind::PageNumber)
                e.onPrint = nullptr;
        }
        return placed;
    }

    void newPage() {
        m_pages.emplace_back();
        m_y = m_report.page.margins.top();
    }
    bool atPageTop() const { return m_pages.back().bands.empty(); }
    bool fits(double height) const { return m_y + height <= m_bottom + kEpsilon; }

    // A band that does not fit goes to a new page, unless the page is still empty: then it is
    // taller than any page can hold and is cut at the page's end instead of looping.
    void place(PlacedBand band) {
        if (!fits(band.height) && !atPageTop())
            newPage();
        band.top = m_y;
        m_y += band.height;
        m_pages.back().bands.push_back(std::move(band));
    }

    // A detail band and its child band go to the same page when both fit on a page.
    void placeTogether(PlacedBand band, std::optional<PlacedBand> child) {
        const double height = band.height + (child ? child->height : 0);
        if (!fits(height) && !atPageTop())
            newPage();
        place(std::move(band));
        if (child)
            place(std::move(*child));
    }

    void placeFooters(Band& footer) {
        const size_t count = m_pages.size() - (m_report.footerOnLastPage ? 0 : 1);
        for (size_t i = 0; i < count; ++i) {
            PlacedBand placed = snapshot(footer);
            placed.top = m_report.page.paper.height() - m_report.page.margins.bottom() - placed.height;
            m_pages[i].bands.push_back(std::move(placed));
        }
    }

private:
    const Report& m_report;
    std::vector<Page>& m_pages;
    QDate m_date;
    double m_bottom = 0;
    double m_y = 0;
};

Report::Report() = default;
Report::~Report() = default;

void Report::setZoom(int percent) {
    m_zoom = std::clamp(percent, 10, 1000);
}

Band& Report::addBand(BandType type, const QString& name) {
    if (Band* existing = band(type))
        return *existing;
    m_bands.push_back(std::make_unique<Band>(type, name));
    return *m_bands.back();
}

Band* Report::band(BandType type) const {
    for (const auto& b : m_bands) {
        if (b->type() == type)
            return b.get();
    }
    return nullptr;
}

void Report::prepare() {
    m_pages.clear();
    std::vector<Page> pages;
    if (beforePrint)
        beforePrint();
    const bool haveRecords = records.valid();
    if (haveRecords)
        records.first();
    const bool empty = !haveRecords || records.eof();
    if (empty && !printIfEmpty)
        return;

    Layout layout(*this, pages, printDate.isValid() ? printDate : QDate::currentDate());
    layout.newPage();
    if (Band* title = band(BandType::Title))
        layout.place(layout.snapshot(*title));
    Band* detail = band(BandType::Detail);
    Band* child = band(BandType::Child);
    if (!empty && (detail || child)) {
        while (!records.eof()) {
            if (detail) {
                PlacedBand placed = layout.snapshot(*detail);
                std::optional<PlacedBand> childPlaced;
                if (child)
                    childPlaced = layout.snapshot(*child);
                layout.placeTogether(std::move(placed), std::move(childPlaced));
            } else {
                layout.place(layout.snapshot(*child));
            }
            records.next();
        }
    }
    if (Band* footer = band(BandType::PageFooter))
        layout.placeFooters(*footer);
    m_pages = std::move(pages);
}

void Report::paintPage(QPainter& painter, int index, QSizeF dotsPerMm) const {
    if (index < 0 || size_t(index) >= m_pages.size())
        return;
    const QMarginsF& m = page.margins;
    const QRectF area(m.left(), m.top(), page.paper.width() - m.left() - m.right(),
                      page.paper.height() - m.top() - m.bottom());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const PlacedBand& band : m_pages[size_t(index)].bands) {
        const QRectF bandMm(area.left(), band.top, area.width(), band.height);
        const QRectF visible = bandMm.intersected(area);
        if (visible.isEmpty())
            continue;
        const QRectF bandRect = toDevice(bandMm, dotsPerMm);
        painter.save();
        painter.setClipRect(toDevice(visible, dotsPerMm));
        if (band.colour.isValid())
            painter.fillRect(bandRect, band.colour);
        for (const Element& e : band.elements) {
            const QRectF r = toDevice(e.rect.translated(bandMm.topLeft()), dotsPerMm);
            switch (e.kind) {
            case Element::Kind::Image:
                drawImage(painter, e, r, dotsPerMm);
                break;
            case Element::Kind::PageNumber: {
                QString text = QString::number(index + 1);
                if (e.onPrint)
                    e.onPrint(text);
                drawText(painter, e, text, font, r);
                break;
            }
            case Element::Kind::Text:
            case Element::Kind::Date:
                drawText(painter, e, e.text, font, r);
                break;
            }
            drawFrame(painter, r, e.frame, dotsPerMm);
        }
        if (band.topLine) {
            const double w = hairline(dotsPerMm);
            painter.setPen(QPen(Qt::black, w,
                                *band.topLine == LineStyle::DashDotDot ? Qt::DashDotDotLine : Qt::SolidLine,
                                Qt::FlatCap));
            const double y = bandRect.top() + w / 2;
            painter.drawLine(QPointF(bandRect.left(), y), QPointF(bandRect.right(), y));
        }
        painter.restore();
    }
    if (page.frameWidth > 0) {
        const double w = page.frameWidth * dotsPerMm.width();
        painter.setPen(QPen(page.frameColour, w, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(toDevice(area, dotsPerMm).adjusted(w / 2, w / 2, -w / 2, -w / 2));
    }
    painter.restore();
}

bool Report::print(QPagedPaintDevice& device, const PrintSelection& selection, QString* error) const {
    // A printer the user has set to this paper in either orientation keeps its own page size
    // (a named size such as A4, not a custom one of the same measures).
    if (!samePaper(device.pageLayout().fullRect(QPageLayout::Millimeter).size(), page.paper)) {
        const QPageLayout layout(QPageSize(page.paper, QPageSize::Millimeter),
                                 page.paper.width() > page.paper.height() ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait,
                                 QMarginsF(), QPageLayout::Millimeter);
        device.setPageLayout(layout);
    }
    const int count = int(m_pages.size());
    const int first = std::clamp(selection.from > 0 ? selection.from : 1, 1, std::max(1, count)) - 1;
    const int last = std::clamp(selection.to > 0 ? selection.to : count, 0, count) - 1;
    const int copies = std::clamp(selection.copies, 1, 999);
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("The report cannot be drawn on the printer or file.");
        return false;
    }
    // The painter starts at the device's printable area; the pages are laid out from the
    // paper's edge.
    const int dpi = device.logicalDpiX();
    painter.translate(-device.pageLayout().paintRectPixels(dpi).topLeft());
    const QSizeF dotsPerMm(device.logicalDpiX() / kMillimetresPerInch,
                           device.logicalDpiY() / kMillimetresPerInch);
    bool firstPage = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int i = first; i <= last; ++i) {
            if (!firstPage)
                device.newPage();
            firstPage = false;
            paintPage(painter, i, dotsPerMm);
        }
    }
    painter.end();
    return true;
}

bool Report::writePdf(const QString& path, QString* error) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = QStringLiteral("Cannot write the report to '%1': %2").arg(path, file.errorString());
        return false;
    }
    bool ok = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Zelan"));
        ok = print(writer, error);
    }
    file.close();
    if (ok && file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Cannot write the report to '%1': %2").arg(path, file.errorString());
        ok = false;
    }
    return ok;
}

} // namespace zelan::report
