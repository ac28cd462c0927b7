#include "app/ReportPdf.h"

#include <cerrno>
#include <cstring>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

#include "data/CUserConfig.h"
#include "data/SettingsFileIO.h"
#include "data/TempFileBeside.h"
#include "lang/Translation.h"
#include "link/ReportReading.h"
#include "views/CTimeCorrChart.h"

namespace {

constexpr int kDpi = 300;
// Millimetres; the foot line sits inside the body's lowest part.
const QMarginsF kMargins(18, 15, 18, 12);
constexpr double kBodyPoints = 9.5;
constexpr double kFootPoints = 7.5;
const char* const kChartUrl = "nimo:correction-chart";
// The chart's own size and scale: its numbers come out a little smaller
// than the body text once it spans the page.
constexpr int kChartWidth = 1400;
constexpr int kChartHeight = 720;
constexpr double kChartScale = 2.2;

QString html(const std::string& text)
{
    return QString::fromStdString(text).toHtmlEscaped();
}

// Faces that hold Polish and Cyrillic letters, before whatever the system
// falls back to.
QFont reportFont(double points)
{
    QFont font;
    font.setFamilies({"DejaVu Sans", "Liberation Sans", "Noto Sans", "Arial"});
    font.setPointSizeF(points);
    // Any letter spacing keeps the shaper from joining "ff" or "fi" into one
    // glyph, which a reader's search and copy would not find as the letters.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    return font;
}

// The writer's pixels an image pixel of the document takes up: the text
// layout scales images by the device's resolution over the screen's, and
// tells no one that factor, so it is measured.
double imageScale(QPaintDevice* device)
{
    QTextDocument probe;
    probe.documentLayout()->setPaintDevice(device);
    probe.setDocumentMargin(0);
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::white);
    probe.addResource(QTextDocument::ImageResource, QUrl("nimo:probe"), dot);
    probe.setHtml("<img src='nimo:probe' width='1000' height='10'>");
    const double scale = probe.idealWidth() / 1000;
    return scale > 0 ? scale : 1;
}

enum class EUnits { None, Column, AfterValue };

QString rowsTable(const std::vector<SReportRow>& rows, EUnits units)
{
    const QString labelWidth = units == EUnits::Column ? "56%"
                               : units == EUnits::None ? "45%"
                                                       : "78%";
    QString out = "<table width='100%' cellspacing='0' cellpadding='3' "
                  "style='border-collapse: collapse;'>";
    bool shaded = false;
    for (const SReportRow& r : rows) {
        out += shaded ? "<tr bgcolor='#eef1f5'>" : "<tr>";
        shaded = !shaded;
        QString value = "<b>" + html(r.value) + "</b>";
        if (units == EUnits::AfterValue && !r.unit.empty())
            value += "&nbsp;" + html(r.unit);
        out += "<td width='" + labelWidth + "'>" + html(r.label) + "</td><td>" + value + "</td>";
        if (units == EUnits::Column)
            out += "<td width='9%'>" + html(r.unit) + "</td>";
        out += "</tr>";
    }
    return out + "</table>";
}

QString reportHtml(const SInstallationReport& r, int chartWidth)
{
    QString out = "<h1 style='font-size: 17pt; margin-bottom: 4px;'>" + html(r.title) + "</h1>";
    out += rowsTable(r.heading, EUnits::None);
    if (!r.notice.empty())
        out += "<p style='color: #a00000;'><b>" + html(r.notice) + "</b></p>";
    for (const SReportSection& s : r.sections) {
        // The chart with its title fills a page's upper part rather than
        // leave the title alone at the foot of the one before.
        out += QString("<h2 style='font-size: 12pt; margin-top: 14px; margin-bottom: 4px; "
                       "color: #1c3d6e;%1'>")
                   .arg(s.chart ? " page-break-before: always;" : "") +
               html(s.title) + "</h2>";
        if (s.chart)
            out += QString("<p align='center'><img src='%1' width='%2'></p>")
                       .arg(kChartUrl)
                       .arg(chartWidth);
        for (const std::string& line : s.lines)
            out += "<p style='margin-top: 2px; margin-bottom: 2px;'>" + html(line) + "</p>";
        // Units only where some row has one: names and texts need the room.
        bool units = false;
        for (const SReportRow& row : s.rows)
            units = units || !row.unit.empty();
        if (s.chart && s.rows.size() > 1) {
            // The table under its chart: the halves side by side, each unit
            // after its value so the labels keep one line.
            const auto half = s.rows.begin() + static_cast<long>((s.rows.size() + 1) / 2);
            out += "<table width='100%' cellspacing='0' cellpadding='0'><tr><td width='49%'>" +
                   rowsTable({s.rows.begin(), half}, EUnits::AfterValue) +
                   "</td><td width='2%'></td><td width='49%'>" +
                   rowsTable({half, s.rows.end()}, EUnits::AfterValue) + "</td></tr></table>";
        } else if (!s.rows.empty()) {
            out += rowsTable(s.rows, units ? EUnits::Column : EUnits::None);
        }
    }
    return out;
}

} // namespace

QImage correctionChartImage(const std::array<double, SETUP_TIMES_COUNT>& corrections, int width,
                            int height)
{
    CTimeCorrChart chart;
    chart.setScale(kChartScale * width / kChartWidth);
    chart.resize(width, height);
    chart.setBackgroundColor(Qt::white);
    chart.setSelectionShown(false);
    for (std::size_t i = 0; i < corrections.size(); ++i)
        chart.setValue(static_cast<int>(i), corrections[i]);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    chart.render(&image);
    return image;
}

QByteArray reportPdf(const SInstallationReport& report)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMargins,
                                     QPageLayout::Millimeter));
    writer.setTitle(QString::fromStdString(report.title + " " + report.serial));
    writer.setCreator(QStringLiteral("Nimo"));

    const QRect page = writer.pageLayout().paintRectPixels(kDpi);
    const QFont footFont = reportFont(kFootPoints);
    const int footHeight = QFontMetrics(footFont, &writer).height() * 2;
    const QSizeF body(page.width(), page.height() - footHeight);

    QTextDocument doc;
    // Laid out in the writer's own pixels, so points come out as points.
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDefaultFont(reportFont(kBodyPoints));
    doc.setDocumentMargin(0);
    doc.setPageSize(body);
    doc.addResource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(kChartUrl)),
                    correctionChartImage(report.corrections, kChartWidth, kChartHeight));
    doc.setHtml(reportHtml(report, static_cast<int>(body.width() / imageScale(&writer))));

    QPainter p;
    if (!p.begin(&writer))
        return {};
    const int pages = doc.pageCount();
    const QString foot = QString::fromStdString(report.title + " · " + report.serial);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        p.save();
        p.translate(0, -i * body.height());
        doc.drawContents(&p, QRectF(QPointF(0, i * body.height()), body));
        p.restore();

        const QRectF footRect(0, body.height() + footHeight / 4.0, body.width(), footHeight * 0.75);
        p.setPen(QPen(QColor(120, 120, 120), 2));
        p.drawLine(QPointF(0, footRect.top()), QPointF(body.width(), footRect.top()));
        p.setFont(footFont);
        p.setPen(QColor(80, 80, 80));
        p.drawText(footRect, Qt::AlignLeft | Qt::AlignBottom, foot);
        p.drawText(footRect, Qt::AlignRight | Qt::AlignBottom,
                   QString::fromStdString(translateFill(
                       "Strona %1 z %2", {std::to_string(i + 1), std::to_string(pages)})));
    }
    if (!p.end())
        return {};
    return bytes;
}

std::string writeInstallationReport(CGasDevice& device, const std::string& workshop,
                                    const std::string& path, std::time_t now)
{
    // Checked before the controller is read: the rename at the end would
    // otherwise only then find the folder or device in the way.
    if (const std::string why = writeTargetProblem(path); !why.empty())
        return translateFill("Nie można zapisać raportu w %1: %2", {path, why});
    SReportInput in;
    in.workshop = workshop;
    in.when = now;
    in.chartLimit = CTimeCorrChart::LIMIT;
    if (std::string why = readReportInput(device, in); !why.empty())
        return why;
    const QByteArray pdf = reportPdf(installationReport(in));
    if (pdf.isEmpty())
        return translateFill("Nie można zapisać raportu w %1: %2", {path, std::strerror(EIO)});
    if (!replaceFileWith(path,
                         std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))))
        return translateFill("Nie można zapisać raportu w %1: %2", {path, std::strerror(errno)});
    return {};
}

QString reportFileName(const std::string& serial, std::time_t now)
{
    return QString::fromStdString(translate("Raport z instalacji") + " " +
                                  CUserConfig::historyFolderName(serial) + " " +
                                  settingsFileDate(now) + ".pdf");
}
