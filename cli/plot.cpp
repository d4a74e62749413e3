#include "cli/plot.h"

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "cli/numbers.h"
#include "host/graphics_model.h"
#include "host/output_file.h"
#include "view/qt_export.h"

namespace velmora::spectra {

namespace {

// Legends with more rows than this would hide the curves.
constexpr std::size_t kMaxLegendRows = 12;

// Qt's notes about the off-screen platform are of no use on the command
// line; real errors still come through.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "velmora-spectra: %s\n", message.toLocal8Bit().constData());
    }
}

void label(GraphicsModel& m, Handle axes, const char* which, const std::string& text) {
    m.set(m.get(axes, which).toDouble(), {{"String", Value::text(text)}});
}

}  // namespace

void plotSpectra(const RunSettings& settings, const std::vector<const RecordSpectra*>& records,
                 const std::string& path) {
    // A figure needs the window system but no screen: whatever platform the
    // environment names (xcb over SSH or from cron cannot start, and Qt
    // then aborts), the drawing is done off screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quietQtMessages);
    std::unique_ptr<QApplication> app;
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "velmora-spectra";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
    }

    const ResultUnits& u = settings.units;
    struct Panel {
        const char* title;
        std::string unit;
        std::vector<double> DampedSpectrum::*values;
        double left, bottom;
    };
    const Panel panels[] = {
        {"Spectral Displacement", u.lengthName, &DampedSpectrum::sd, 0.08, 0.56},
        {"Spectral Velocity", u.velocityName, &DampedSpectrum::sv, 0.57, 0.56},
        {"Pseudo Spectral Velocity", u.velocityName, &DampedSpectrum::psv, 0.08, 0.07},
        {"Spectral Acceleration", u.accelName, &DampedSpectrum::sa, 0.57, 0.07},
    };

    std::vector<std::string> names;
    std::size_t curves = 0;
    for (const RecordSpectra* r : records) {
        for (const DampedSpectrum& d : r->spectra) {
            names.push_back(r->name + " z=" + shortestText(d.zeta));
            ++curves;
        }
    }
    const std::size_t count = settings.periods.size();

    GraphicsModel m;
    const Handle fig = m.createFigure({{"Position", Value::row({40, 40, 1100, 820})},
                                       {"Color", Value::row({1, 1, 1})},
                                       {"Name", Value::text("Response spectra")},
                                       {"NumberTitle", Value::text("off")}});
    for (const Panel& p : panels) {
        const Handle axes = m.create(ObjectType::Axes, fig,
                                     {{"Parent", Value::scalar(fig)},
                                      {"Position", Value::row({p.left, p.bottom, 0.38, 0.37})}});
        // One curve per row: the matrix is stored column by column.
        std::vector<double> ys(curves * count);
        std::size_t c = 0;
        for (const RecordSpectra* r : records) {
            for (const DampedSpectrum& d : r->spectra) {
                const std::vector<double>& v = d.*(p.values);
                for (std::size_t j = 0; j < count; ++j) ys[j * curves + c] = v[j];
                ++c;
            }
        }
        m.plot(Value::row(settings.periods), Value::matrix(curves, count, std::move(ys)), true);
        m.set(axes, {{"XGrid", Value::text("on")}, {"YGrid", Value::text("on")}});
        label(m, axes, "Title", p.title);
        label(m, axes, "XLabel", "Period - s");
        label(m, axes, "YLabel", std::string(p.title) + " - " + p.unit);
        if (curves <= kMaxLegendRows && p.values == &DampedSpectrum::sa) {
            m.legend(Value::textRows(names), 1);
        }
    }
    const QByteArray bytes = qtview::encodeFigureImage(m, fig, path);
    writeOutputFile(path,
                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace velmora::spectra
