#include "view/qt_export.h"

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
#include <memory>
#include <string_view>
#include <vector>

#include "host/figure_csv.h"
#include "host/output_file.h"
#include "view/qt_figure_window.h"
#include "view/qt_values.h"

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
    writeFile(path, figureCsv(model, figure));
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
