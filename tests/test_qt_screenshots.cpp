// Windows for the documentation's screenshots, built through the host
// operations the program uses and held open so that a tool outside can
// photograph the screen (under Xvfb: import -window root). Runs only when
// VELMORA_SCREENSHOT_HOLD gives the seconds to hold; skipped otherwise.
#include <QElapsedTimer>
#include <cmath>

#include "app/functions.h"
#include "host/qt_axes_widget.h"
#include "test_qt_support.h"

namespace velmora::qttest {
namespace {

// A smooth design-like spectrum: rising to a plateau, then falling as 1/T
// and 1/T^2; lower for more damping.
double spectrum(double t, double damping) {
    const double eta = std::sqrt(10.0 / (5.0 + damping));
    const double a = 0.35, tb = 0.15, tc = 0.5, td = 2.0;
    if (t < tb) return a * (1 + t / tb * (2.5 * eta - 1));
    if (t < tc) return a * 2.5 * eta;
    if (t < td) return a * 2.5 * eta * tc / t;
    return a * 2.5 * eta * tc * td / (t * t);
}

TEST_F(QtViewTest, ScreenshotOfASpectrumWindowAndAProgressBar) {
    const QByteArray hold = qgetenv("VELMORA_SCREENSHOT_HOLD");
    if (hold.isEmpty()) GTEST_SKIP() << "set VELMORA_SCREENSHOT_HOLD to the seconds to hold";

    std::vector<double> periods, sa;
    const int n = 120;
    for (int i = 0; i < n; ++i) periods.push_back(0.02 * std::pow(10.0, 2.7 * i / (n - 1)));
    for (double damping : {2.0, 5.0, 10.0}) {
        for (double t : periods) sa.push_back(spectrum(t, damping));
    }
    const Handle f = mlfNFigure(1);
    mlfNSet(f, {{"NumberTitle", Value::text("off")},
                {"Name", Value::text("Pseudo-spectral acceleration")}});
    mlfNLoglog(Value::row(periods), Value::matrix(n, 3, sa));
    const Value on = Value::text("on");
    grid(&on);
    const Value x = Value::text("Period T [s]");
    const Value y = Value::text("Sa [g]");
    const Value t = Value::text("Elastic response spectra, record 1");
    xlabel(0, &x, {});
    ylabel(0, &y, {});
    title(0, &t, {});
    mlfNLegend(Value::cellRow({Value::text("damping 2 %"), Value::text("damping 5 %"),
                               Value::text("damping 10 %")}),
               1);

    const Value fraction = Value::scalar(0.4);
    const Value caption = Value::text("Computing spectra ...");
    waitbar(0, &fraction, &caption);
    settle();
    ASSERT_NE(window(f), nullptr);
    EXPECT_TRUE(window(f)->isVisible());
    EXPECT_EQ(model().figureCount(), 2u);

    QElapsedTimer clock;
    clock.start();
    const qint64 ms = static_cast<qint64>(hold.toDouble() * 1000);
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_TRUE(window(f)->isVisible());
}

}  // namespace
}  // namespace velmora::qttest
