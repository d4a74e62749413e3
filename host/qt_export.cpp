#include "host/qt_export.h"

#include <qcustomplot.h>
#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "host/output_file.h"
#include "host/qt_figure_window.h"
#include "host/qt_values.h"

namespace velmora::qtview {

namespace {

constexpr double kReportDpi = 300;

void requireFigure(const GraphicsModel& m, Handle fig) {
    if (!m.isHandle(fig) || m.object(fig).type != ObjectType::Figure) {
        throw Error("There is no figure with this handle to export.");
    }
    if (!QGuiApplication::instance()) {
        throw Error("Drawing a figure needs the window system, which is not running.");
    }
}

// The live window when there is one (it alone knows what EraseMode "none"
// left on the screen), else a passive copy built from the model.
template <typename F>
void withFigure(GraphicsModel& m, Handle fig, F&& f) {
    requireFigure(m, fig);
    if (FigureWindow* live = findFigureWindow(m, fig)) {
        live->syncNow();
        f(*live);
        return;
    }
    FigureWindow copy(m, fig, false);
    copy.buildFromModel();
    copy.syncNow();
    f(copy);
}

void paintFigure(QCPPainter& p, FigureWindow& w) {
    // Hairlines would stay one device pixel thin at 300 dpi.
    p.setMode(QCPPainter::pmNonCosmetic);
    QWidget* canvas = w.canvas();
    p.fillRect(QRect(QPoint(0, 0), canvas->size()), canvas->palette().color(QPalette::Window));
    // Children in stacking order: the later, the higher.
    for (QObject* o : canvas->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child || child->isHidden()) continue;
        if (auto* axes = dynamic_cast<AxesWidget*>(child)) {
            if (axes->disposed()) continue;
            p.save();
            p.translate(child->pos());
            axes->toPainter(&p, child->width(), child->height());
            p.restore();
        } else {
            child->render(&p, child->pos(), QRegion(),
                          QWidget::DrawWindowBackground | QWidget::DrawChildren);
        }
    }
}

// The whole file at once, so that a failure leaves nothing at the path.
void writeFile(const std::string& path, std::string_view bytes) {
    try {
        writeOutputFile(path, bytes);
    } catch (const OutputError& e) {
        throw Error("Cannot write \"" + path + "\": " + e.reason() + ".");
    }
}

std::string csvField(const QString& text) {
    std::string s = text.toStdString();
    if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::vector<double> numbers(const Value& v) {
    return v.isDouble() ? v.data() : std::vector<double>();
}

}  // namespace

QImage renderFigureImage(GraphicsModel& model, Handle figure, double scale) {
    QImage image;
    withFigure(model, figure, [&](FigureWindow& w) {
        const QSize size = w.canvas()->size();
        image = QImage(std::max(1, static_cast<int>(std::ceil(size.width() * scale))),
                       std::max(1, static_cast<int>(std::ceil(size.height() * scale))),
                       QImage::Format_ARGB32_Premultiplied);
        // Fonts are set in points: draw at the screen's resolution, scaled.
        const int dpm = static_cast<int>(std::lround(screenPpi(model) / 0.0254));
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        image.fill(Qt::white);
        QCPPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setMode(QCPPainter::pmNoCaching);
        p.scale(scale, scale);
        paintFigure(p, w);
        p.end();
    });
    return image;
}

QByteArray encodeFigureImage(GraphicsModel& model, Handle figure, const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix != "png" && suffix != "svg" && suffix != "pdf") {
        throw Error("Cannot save a figure as \"" + path +
                    "\": the name must end in .png, .svg or .pdf.");
    }
    requireFigure(model, figure);
    const double ppi = screenPpi(model);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == "png") {
        QImage image = renderFigureImage(model, figure, kReportDpi / ppi);
        const int dpm = static_cast<int>(std::lround(kReportDpi / 0.0254));
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        if (!image.save(&buffer, "PNG")) throw Error("Cannot draw the image \"" + path + "\".");
        return bytes;
    }
    withFigure(model, figure, [&](FigureWindow& w) {
        const QSize size = w.canvas()->size();
        const QString title = figureTitle(model, figure);
        if (suffix == "svg") {
            QSvgGenerator svg;
            svg.setOutputDevice(&buffer);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            svg.setResolution(static_cast<int>(std::lround(ppi)));
            svg.setTitle(title);
            QCPPainter p(&svg);
            p.setMode(QCPPainter::pmVectorized);
            paintFigure(p, w);
            p.end();
        } else {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(static_cast<int>(std::lround(ppi)));
            pdf.setCreator("VELMORA");
            pdf.setTitle(title);
            const QSizeF points(size.width() * 72.0 / ppi, size.height() * 72.0 / ppi);
            pdf.setPageLayout(
                QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                            QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
            QCPPainter p(&pdf);
            p.setMode(QCPPainter::pmVectorized);
            paintFigure(p, w);
            p.end();
        }
    });
    return bytes;
}

void saveFigureImage(GraphicsModel& model, Handle figure, const std::string& path) {
    const QByteArray bytes = encodeFigureImage(model, figure, path);
    writeFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void exportFigureCsv(GraphicsModel& model, Handle figure, const std::string& path) {
    if (!model.isHandle(figure) || model.object(figure).type != ObjectType::Figure) {
        throw Error("There is no figure with this handle to export.");
    }
    struct Column {
        QString header;
        std::vector<double> values;
    };
    std::vector<Column> columns;
    for (Handle a : model.object(figure).children) {
        if (model.object(a).type != ObjectType::Axes) continue;
        std::vector<Handle> lines;
        QStringList rows;
        for (Handle c : model.object(a).children) {
            const ObjectType t = model.object(c).type;
            if (t == ObjectType::Line) lines.push_back(c);
            if (t == ObjectType::Legend) rows = textLines(prop(model, c, "String"));
        }
        auto labelOf = [&](const char* which) {
            const Value h = prop(model, a, which);
            return h.isScalar() && model.isHandle(h.toDouble())
                       ? joinedText(prop(model, h.toDouble(), "String")).replace('\n', ' ')
                       : QString();
        };
        const QString xLabel = labelOf("XLabel");
        const QString yLabel = labelOf("YLabel");
        std::size_t group = 0;
        bool inGroup = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::vector<double> x = numbers(prop(model, lines[i], "XData"));
            std::vector<double> y = numbers(prop(model, lines[i], "YData"));
            const std::size_t n = std::min(x.size(), y.size());
            x.resize(n);
            y.resize(n);
            // Curves of one plot share their x values: one x column for them.
            if (!inGroup || columns[group].values != x) {
                columns.push_back({xLabel.isEmpty() ? QString("x") : xLabel, x});
                group = columns.size() - 1;
                inGroup = true;
            }
            QString header;
            if (static_cast<int>(i) < rows.size()) {
                header = rows[static_cast<int>(i)];
            } else if (lines.size() == 1 && !yLabel.isEmpty()) {
                header = yLabel;
            } else {
                header = QString("curve %1").arg(i + 1);
            }
            columns.push_back({header, y});
        }
    }
    if (columns.empty()) throw Error("The figure has no curves to export.");

    std::string text;
    std::size_t longest = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        text += (c ? "," : "") + csvField(columns[c].header);
        longest = std::max(longest, columns[c].values.size());
    }
    text += "\n";
    char number[40];
    for (std::size_t r = 0; r < longest; ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c) text += ",";
            if (r < columns[c].values.size()) {
                std::snprintf(number, sizeof number, "%.17g", columns[c].values[r]);
                text += number;
            }
        }
        text += "\n";
    }
    writeFile(path, text);
}

void copyFigureToClipboard(GraphicsModel& model, Handle figure) {
    // Twice the screen size, marked as such, pastes sharp at the right size.
    QImage image = renderFigureImage(model, figure, 2.0);
    const int dpm = static_cast<int>(std::lround(2 * screenPpi(model) / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    QGuiApplication::clipboard()->setImage(image);
}

}  // namespace velmora::qtview
