#pragma once

#include <QColor>
#include <QDate>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace zelan::report {

// Lengths of a report are millimetres. Pictures and the heights that report handlers derive
// from them are in screen pixels of 96 dots per inch, the unit the report was designed in.
inline constexpr double kScreenDotsPerInch = 96.0;
inline constexpr double kMillimetresPerInch = 25.4;
inline constexpr double pixelsToMm(double pixels) {
    return pixels * kMillimetresPerInch / kScreenDotsPerInch;
}

// A font given in screen pixels (as the report was designed) as the same size in points, so
// that it prints at that size on a device of any resolution.
QFont fontFromPixels(QFont font, int pixels);

struct Sides {
    bool left = false, top = false, right = false, bottom = false;
    static constexpr Sides all() { return {true, true, true, true}; }
    bool any() const { return left || top || right || bottom; }
};

enum class LineStyle { Solid, DashDotDot };

// One printed element of a band, placed in millimetres from the band's top-left corner.
struct Element {
    enum class Kind {
        Image,      // a picture
        Text,       // a text, fixed or read from a field when the band is printed
        PageNumber, // the number of the page it prints on
        Date,       // the print date in the locale's short form
    };

    QString name;
    Kind kind = Kind::Image;
    QRectF rect; // millimetres

    // Image: with `autoSize` the element takes the picture's size (at 96 dots per inch) when
    // a picture is set. `stretch` fills the element with the picture; otherwise `center`
    // centres it at its own size (scaled down, keeping its shape, when it does not fit) and
    // without either it stands in the top-left corner.
    QImage picture;
    bool autoSize = false;
    bool center = false;
    bool stretch = false;
    Sides frame;

    // Text, page number and date. `field` is read each time the band prints; `onPrint` may
    // change the text that is about to print.
    QString text;
    std::function<QString()> field;
    std::function<void(QString& text)> onPrint;
    std::optional<QFont> font; // the report's font when not set
    QColor colour = Qt::black;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::LayoutDirection direction = Qt::LeftToRight;

    // Sets the picture; an auto-sized element takes its size, an empty picture sizes it 0 x 0.
    void setPicture(QImage image);
};

enum class BandType {
    Title,      // once, at the top of the first page
    Detail,     // once per record
    Child,      // after each detail band
    PageFooter, // at the bottom of every page
};

class Band {
public:
    Band(BandType type, QString name) : m_type(type), m_name(std::move(name)) {}

    BandType type() const { return m_type; }
    QString name() const { return m_name; }

    double height = 10; // millimetres
    QColor colour;      // the band's ground; invalid: none
    std::optional<LineStyle> topLine;
    // Runs each time before the band prints; it may change the elements and the height.
    std::function<void(Band& band)> beforePrint;

    // Adds an element. The pointer stays valid while the band lives and no other element is
    // added after it is taken (add all elements first, then keep pointers).
    Element* addElement(Element element);
    // The element of that name, or null.
    Element* element(const QString& name);
    const std::vector<Element>& elements() const { return m_elements; }

private:
    BandType m_type;
    QString m_name;
    std::vector<Element> m_elements;
};

// The records that the detail band runs over: a cursor with first, next and an end test (end
// is true on an empty set and after next has passed the last record).
struct RecordSource {
    std::function<void()> first;
    std::function<void()> next;
    std::function<bool()> eof;
    bool valid() const { return first && next && eof; }
};

struct PageSetup {
    QSizeF paper{210, 297}; // A4 portrait
    QMarginsF margins{10, 15, 10, 10};
    double frameWidth = 0; // a frame on all four sides of the printable area; 0: none
    QColor frameColour = Qt::black;
};

// A band as it printed on a page: the band's elements with the values they had at that moment.
struct PlacedBand {
    BandType type;
    QString name;
    double top = 0; // millimetres from the paper's top edge
    double height = 0;
    QColor colour;
    std::optional<LineStyle> topLine;
    std::vector<Element> elements; // fields read, handlers dropped
};

struct Page {
    std::vector<PlacedBand> bands;
};

// A banded report on pages of one size: a title band, a detail band per record followed by a
// child band, and a page footer on every page. Preparing runs the handlers and lays the bands
// out on pages, so that no band is cut by a page break (a band taller than a whole page is
// the one exception: it starts a page and is cut at its end); the prepared pages can then be
// drawn on any paged device, as often as needed, without running the handlers again.
class Report {
public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    PageSetup page;
    QFont font;
    bool printIfEmpty = true;     // with no records, still print the title and footer
    bool footerOnLastPage = true; // false leaves the last page without its footer
    RecordSource records;
    std::function<void()> beforePrint;  // runs first when the report is prepared
    std::function<void()> afterPreview; // runs when a preview of the report has closed
    // The print date; an invalid date means the day the report is prepared.
    QDate printDate;

    // Zoom of the preview in percent.
    int zoom() const { return m_zoom; }
    void setZoom(int percent);

    // Adds the band of a type; a report has at most one band of each type, so adding a type
    // again returns the band already there (with its name unchanged).
    Band& addBand(BandType type, const QString& name);
    // The band of a type, or null.
    Band* band(BandType type) const;

    // Runs the report's before-print handler, walks the records and lays out the pages. An
    // exception thrown by a handler or by the record source passes through and leaves no
    // pages prepared.
    void prepare();
    const std::vector<Page>& pages() const { return m_pages; }

    // Draws prepared page `index` with `painter`, whose coordinates are device pixels from the
    // paper's top-left corner at `dotsPerMm` (x and y). An index out of range draws nothing.
    void paintPage(QPainter& painter, int index, QSizeF dotsPerMm) const;
    // Whether two paper sizes (millimetres, width by height) are the same, to half a millimetre.
    static bool samePaper(QSizeF a, QSizeF b) {
        return std::abs(a.width() - b.width()) < 0.5 && std::abs(a.height() - b.height()) < 0.5;
    }
    // Which prepared pages a print draws: pages `from` to `to` (counted from 1; 0 for either
    // end: from the first, to the last), each set `copies` times over.
    struct PrintSelection {
        int from = 0;
        int to = 0;
        int copies = 1;
    };
    // Draws the selected prepared pages on `device`, a new device page per report page, with
    // the report's paper size (a device already set to that paper keeps its own page layout).
    // Returns false and sets `error` when the device cannot be painted on.
    bool print(QPagedPaintDevice& device, QString* error = nullptr) const { return print(device, {}, error); }
    bool print(QPagedPaintDevice& device, const PrintSelection& selection, QString* error = nullptr) const;
    // Writes the prepared pages to a PDF file at `path` (replaced when present). Returns false
    // and sets `error`, naming the file, when it cannot be written.
    bool writePdf(const QString& path, QString* error = nullptr) const;

private:
    class Layout;

    std::vector<std::unique_ptr<Band>> m_bands;
    std::vector<Page> m_pages;
    int m_zoom = 100;
};

} // namespace zelan::report
