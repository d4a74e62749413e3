// Plots in real windows: log-log spectra with legends and grids, a progress
// bar drawn with EraseMode "none", empty axes, and what the mouse does.
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/functions.h"
#include "test_qt_support.h"
#include "view/qt_axes_widget.h"
#include "view/qt_export.h"

namespace velmora::qttest {
namespace {

using qtview::AxesWidget;

class QtPlotsTest : public QtViewTest {
  protected:
    Handle figure(const std::string& name) {
        return model().createFigure({{"Name", Value::text(name)},
                                     {"Position", Value::row({21, 21, 560, 420})},
                                     {"Color", Value::row({1, 1, 1})}});
    }
    AxesWidget* axesWidget(Handle fig, Handle axes) {
        auto* w = window(fig);
        return w ? w->axes(axes) : nullptr;
    }
    QImage picture(Handle fig) { return qtview::renderFigureImage(model(), fig, 1.0); }
};

// Three significant digits with trailing zeros, as a reader expects them.
std::string sig3(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%#.3g", v);
    return text;
}

// A dark line runs the length of the band (a few pixels across).
bool lineAlong(const QImage& image, const QRect& band) {
    const bool across = band.width() > band.height();
    const int length = across ? band.width() : band.height();
    for (int i = 0; i < length; ++i) {
        const QRect slice = across ? QRect(band.left() + i, band.top(), 1, band.height())
                                   : QRect(band.left(), band.top() + i, band.width(), 1);
        if (countPixels(image, slice, isDark) == 0) return false;
    }
    return true;
}

bool anyCurveColour(QColor p) {
    return isHue(p, 0) || isHue(p, 1, 80) || isHue(p, 2);
}

TEST_F(QtPlotsTest, LogLogSpectraWithTheLegendInTheCornerItsCodeNamesZoomedByTheMouse) {
    // Three spectrum-like curves over the left fifth of a log-log plot that
    // reaches to 10 s, so the right half belongs to the legend alone.
    std::vector<double> x, ys;
    for (int i = 0; i < 30; ++i) x.push_back(0.01 * std::pow(10.0, i / 29.0 * 0.6));
    for (int c = 0; c < 3; ++c)
        for (double xi : x) ys.push_back((c + 1) * 0.2 * std::sqrt(xi / 0.01));
    // Code 4 puts the legend in the lower right corner, code 1 in the upper
    // right.
    for (const auto& [code, legendBelow] : {std::pair{4, true}, std::pair{1, false}}) {
        SCOPED_TRACE(code);
        const Handle f = figure("Spectra");
        const Handle a = model().create(ObjectType::Axes, f, {});
        model().plot(Value::row(x), Value::matrix(30, 3, ys), true);
        model().set(a, {{"XLim", Value::row({0.01, 10})},
                        {"YLim", Value::row({0.1, 10})},
                        {"XGrid", Value::text("on")},
                        {"YGrid", Value::text("on")},
                        {"Box", Value::text("on")}});
        setLabel(a, "XLabel", "Period [s]");
        setLabel(a, "YLabel", "Sa [g]");
        setLabel(a, "Title", "Elastic response spectra");
        model().legend(
            Value::cellRow({Value::text("2 %"), Value::text("5 %"), Value::text("10 %")}), code);
        settle();
        AxesWidget* w = axesWidget(f, a);
        ASSERT_NE(w, nullptr);
        // The plot box is the axes' Position: [0.13 0.11 0.775 0.815] of 560 x 420.
        const QRect box = w->plotBox();
        EXPECT_EQ(box, QRect(73, 420 - 389, 434, 343));
        EXPECT_EQ(w->xAxis->scaleType(), QCPAxis::stLogarithmic);
        EXPECT_EQ(w->yAxis->scaleType(), QCPAxis::stLogarithmic);

        const QImage image = picture(f);
        // All three curve colours are drawn.
        for (int c = 0; c < 3; ++c) {
            EXPECT_GT(
                countPixels(image, box, [c](QColor p) { return isHue(p, c, c == 1 ? 80 : 90); }),
                20)
                << "colour " << c;
        }
        const int midX = box.center().x(), midY = box.center().y();
        const QRect upperRight(midX + 1, box.top() + 2, box.right() - midX - 3,
                               midY - box.top() - 2);
        const QRect lowerRight(midX + 1, midY + 1, box.right() - midX - 3, box.bottom() - midY - 3);
        const QRect& legend = legendBelow ? lowerRight : upperRight;
        const QRect& empty = legendBelow ? upperRight : lowerRight;
        EXPECT_GT(countPixels(image, legend, anyCurveColour), 20);
        EXPECT_EQ(countPixels(image, empty, anyCurveColour), 0);
        // Grid lines cross the empty quarter.
        EXPECT_GT(countPixels(image, empty,
                              [](QColor p) { return p.red() < 235 && p.red() == p.blue(); }),
                  50);

        // The wheel zooms, a drag pans, a double click restores.
        const QCPRange before = w->xAxis->range();
        const QPointF at = w->axisRect()->rect().center();
        QWheelEvent wheel(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &wheel);
        const QCPRange zoomed = w->xAxis->range();
        EXPECT_LT(zoomed.upper / zoomed.lower, before.upper / before.lower);

        auto mouse = [&](QEvent::Type type, QPointF p, Qt::MouseButtons buttons) {
            QMouseEvent e(type, p, w->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(w, &e);
        };
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
        mouse(QEvent::MouseMove, at + QPointF(40, 0), Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, at + QPointF(40, 0), Qt::NoButton);
        EXPECT_LT(w->xAxis->range().lower, zoomed.lower);

        mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton);
        EXPECT_EQ(w->xAxis->range(), before);

        // Over the third curve: its row of the legend (a cell row), then the numbers.
        const QPoint over(std::lround(w->xAxis->coordToPixel(0.02)),
                          std::lround(w->yAxis->coordToPixel(3 * 0.2 * std::sqrt(2.0))) - 2);
        EXPECT_TRUE(w->readoutAt(over).startsWith("10 %\nPeriod "))
            << w->readoutAt(over).toStdString();
        model().close(f);
    }
}

// The waitbar's own window: its bar drawn with EraseMode "none".
TEST_F(QtPlotsTest, AProgressBarWithEraseModeNoneKeepsWhatItDrew) {
    const Value start = Value::scalar(0), later = Value::scalar(0.4);
    const Handle f = waitbar(1, &start, nullptr).toDouble();
    const Handle p = mlfFindobj({f}, false, {{"Type", Value::text("patch")}}).at(0);
    settle();
    const Handle a = model().object(p).parent;
    const QRect box = axesWidget(f, a)->plotBox();
    auto redInRow = [&](const QImage& image, double from, double to) {
        const int y = box.center().y();
        const int x0 = box.left() + static_cast<int>(from * box.width()) + 3;
        const int x1 = box.left() + static_cast<int>(to * box.width()) - 3;
        return countPixels(image, QRect(x0, y, x1 - x0 + 1, 1),
                           [](QColor c) { return c == QColor(255, 0, 0); });
    };

    // The screen catches up only when the program flushes ...
    model().set(p, {{"XData", Value::column({0, 20, 20, 0})}});
    EXPECT_EQ(redInRow(grabCanvas(f), 0, 0.2), 0);
    hg().drawnow();
    EXPECT_GT(redInRow(grabCanvas(f), 0, 0.2), 0.2 * box.width() - 8);
    // ... and after the next flush the bar has visibly grown.
    waitbar(0, &later, nullptr);
    const QImage image = grabCanvas(f);
    EXPECT_GT(redInRow(image, 0, 0.4), 0.4 * box.width() - 8);
    EXPECT_EQ(redInRow(image, 0.4 + 0.02, 1.0), 0);
    // The frame lies over the bar: a dark line along each edge of the box.
    EXPECT_TRUE(lineAlong(image, QRect(box.left(), box.top() - 1, box.width(), 3)));
    EXPECT_TRUE(lineAlong(image, QRect(box.left(), box.bottom() - 1, box.width(), 3)));
    EXPECT_TRUE(lineAlong(image, QRect(box.left() - 1, box.top(), 3, box.height())));
    EXPECT_TRUE(lineAlong(image, QRect(box.right() - 1, box.top(), 3, box.height())));
    // Without ticks there are no tick labels around the bar.
    EXPECT_EQ(countPixels(image, QRect(box.left(), box.bottom() + 3, box.width(), 10), isDark), 0);
}

TEST_F(QtPlotsTest, AnEmptyAxesDrawsItsFrameAndNothingElse) {
    const Handle f = figure("Empty");
    const Handle a = model().create(ObjectType::Axes, f, {});
    model().set(a, {{"XScale", Value::text("log")}, {"YScale", Value::text("log")}});
    settle();
    const QRect box = axesWidget(f, a)->plotBox();
    const QImage image = picture(f);
    EXPECT_TRUE(lineAlong(image, QRect(box.left(), box.bottom() - 1, box.width(), 3)));
    EXPECT_TRUE(lineAlong(image, QRect(box.left() - 1, box.top(), 3, box.height())));
    EXPECT_EQ(countPixels(image, box.adjusted(8, 8, -8, -8),
                          [](QColor p) { return p != QColor(255, 255, 255); }),
              0);
}

TEST_F(QtPlotsTest, NonPositiveValuesAreLeftOutOnLogScales) {
    const Handle f = figure("Zeros");
    model().create(ObjectType::Axes, f, {});
    model().plot(Value::row({0, -1, 0.1, 1, 10, 100}), Value::row({1, 2, 0, 1, 2, 3}), true);
    settle();
    AxesWidget* w = axesWidget(f, model().gca());
    const QRect box = w->plotBox();
    // Automatic limits from the positive points only, in whole decades.
    EXPECT_EQ(w->xAxis->range(), QCPRange(1, 100));
    const QImage image = picture(f);
    auto blue = [](QColor p) { return isHue(p, 2); };
    const int inBox = countPixels(image, box, blue);
    EXPECT_GT(inBox, 50);
    // Nothing shoots off outside the plot box.
    EXPECT_EQ(countPixels(image, image.rect(), blue), inBox);
}

TEST_F(QtPlotsTest, TextsTitlesAndLabelsAreDrawnWhereTheyBelong) {
    const Handle f = figure("Texts");
    const Handle a = model().create(ObjectType::Axes, f,
                                    {{"XLim", Value::row({0, 1})}, {"YLim", Value::row({0, 1})}});
    model().create(ObjectType::Text, a,
                   {{"String", Value::text("Peak")},
                    {"Position", Value::row({0.5, 0.5, 0})},
                    {"Color", Value::row({1, 0, 0})},
                    {"FontSize", Value::scalar(14)}});
    setLabel(a, "Title", "Title text");
    setLabel(a, "XLabel", "Period [s]");
    setLabel(a, "YLabel", "Sa [g]");
    settle();
    const QRect box = axesWidget(f, a)->plotBox();
    const QImage image = picture(f);
    const QPoint c = box.center();
    EXPECT_GT(countPixels(image, QRect(c.x() - 2, c.y() - 20, 60, 40),
                          [](QColor p) { return isHue(p, 0); }),
              20);
    // Title above the box, x label below the tick labels, y label left.
    EXPECT_GT(countPixels(image, QRect(c.x() - 50, 0, 100, box.top() - 1), isDark), 30);
    EXPECT_GT(countPixels(image, QRect(c.x() - 50, box.bottom() + 20, 100, 40), isDark), 30);
    EXPECT_GT(countPixels(image, QRect(0, c.y() - 30, box.left() - 25, 60), isDark), 30);
}

TEST_F(QtPlotsTest, NineCurvesHaveNineDistinctPensASeeThroughLegendAndAHoverReadout) {
    // The program's spectral acceleration plot of an Option 1 run with nine
    // damping ratios: curve i is 10 / (i + 1) * T^-0.5 over 160 periods.
    const Handle f = figure("FIG/VELMORA: OPTION 1 - Spectral Acceleration");
    const Handle a = model().create(ObjectType::Axes, f, {});
    std::vector<double> periods, ys;
    for (int i = 0; i < 160; ++i) periods.push_back(0.1 + 0.05 * i);
    for (int c = 0; c < 9; ++c)
        for (double t : periods) ys.push_back(10.0 / (c + 1) / std::sqrt(t));
    model().plot(Value::row(periods), Value::matrix(160, 9, ys), true);
    model().set(a, {{"XGrid", Value::text("on")}, {"YGrid", Value::text("on")}});
    setLabel(a, "XLabel", "Period - seconds");
    setLabel(a, "YLabel", "Spectral Acceleration - meters per second squared");
    std::vector<std::string> rows;
    for (const char* d : {"0.01", "0.02", "0.03", "0.05", "0.07", "0.1", "0.15", "0.2", "0.3"}) {
        rows.push_back(std::string("Damping Ratio = ") + d);
    }
    model().legend(Value::textRows(rows), 1);
    settle();
    AxesWidget* w = axesWidget(f, a);
    ASSERT_NE(w, nullptr);
    // Seven colours, then the first two again dashed.
    ASSERT_EQ(w->legend->itemCount(), 9);
    std::vector<std::pair<QRgb, Qt::PenStyle>> pens;
    for (int i = 0; i < 9; ++i) {
        auto* item = dynamic_cast<QCPPlottableLegendItem*>(w->legend->item(i));
        ASSERT_NE(item, nullptr);
        const QPen pen = item->plottable()->pen();
        pens.push_back({pen.color().rgb(), pen.style()});
        EXPECT_EQ(pen.style(), i < 7 ? Qt::SolidLine : Qt::DashLine) << i;
    }
    std::sort(pens.begin(), pens.end());
    EXPECT_EQ(std::unique(pens.begin(), pens.end()), pens.end());
    // The stored lines keep the program's properties: no line style set.
    const auto lines = mlfFindobj({a}, false, {{"Type", Value::text("line")}});
    ASSERT_EQ(lines.size(), 9u);
    for (Handle c : lines) EXPECT_EQ(model().object(c).find("LineStyle"), nullptr);
    // A style the program sets is drawn as it is: on the eighth line (the
    // search gives the newest first).
    model().set(lines[1], {{"LineStyle", Value::text(":")}});
    settle();
    EXPECT_EQ(dynamic_cast<QCPPlottableLegendItem*>(w->legend->item(7))->plottable()->pen().style(),
              Qt::DotLine);

    // The legend box lets the curves under it show through, lightly.
    const int alpha = w->legend->brush().color().alpha();
    EXPECT_GT(alpha, 128);
    EXPECT_LT(alpha, 255);

    // The hover readout names the nearest curve at the mouse x.
    // Between two of the 160 periods, a few pixels above the fourth curve:
    // its value there, interpolated on the log scales (the curves are
    // straight lines on them), not the nearest data point's.
    const int px = static_cast<int>(std::lround(w->xAxis->coordToPixel(1.2125)));
    const double t = w->xAxis->pixelToCoord(px);
    const double sa = 10.0 / 4 / std::sqrt(t);
    const int py = static_cast<int>(std::lround(w->yAxis->coordToPixel(sa))) - 3;
    const std::string expected = "Damping Ratio = 0.05\nPeriod " + sig3(t) +
                                 " s, Spectral Acceleration " + sig3(sa) + " m/s^2";
    EXPECT_EQ(w->readoutAt(QPoint(px, py)).toStdString(), expected);

    // The mouse shows it as a tooltip, also far from any data point's pixel.
    QMouseEvent move(QEvent::MouseMove, QPointF(px, py), w->mapToGlobal(QPointF(px, py)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text().toStdString(), expected);
    // A ring marks the point on the curve it tells about, until the mouse
    // leaves.
    QCPItemTracer* marker = nullptr;
    for (int i = 0; i < w->itemCount() && !marker; ++i) {
        marker = qobject_cast<QCPItemTracer*>(w->item(i));
    }
    ASSERT_NE(marker, nullptr);
    EXPECT_TRUE(marker->visible());
    EXPECT_NEAR(marker->position->coords().x(), t, 1e-12);
    EXPECT_NEAR(marker->position->coords().y(), sa, 1e-9 * sa);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    EXPECT_FALSE(marker->visible());

    // Nearer the first curve, the first curve.
    const int py1 = static_cast<int>(std::lround(w->yAxis->coordToPixel(10.0 / std::sqrt(t)))) + 2;
    EXPECT_TRUE(w->readoutAt(QPoint(px, py1)).startsWith("Damping Ratio = 0.01\nPeriod "));
    // Outside the plot box, or left of the first period: nothing.
    EXPECT_TRUE(w->readoutAt(QPoint(2, py)).isEmpty());
    const int leftOfData = static_cast<int>(w->xAxis->coordToPixel(0.08));
    EXPECT_TRUE(w->readoutAt(QPoint(leftOfData, py)).isEmpty());
}

}  // namespace
}  // namespace velmora::qttest
