// One axes as a QCustomPlot: its plot box exactly at the axes' Position,
// tick labels, axis labels and title in the margin around it; lines,
// patches, texts and a legend from the model. Rebuilt from the model on
// demand (sync), so the model stays the one truth.
#pragma once

#include <qcustomplot.h>
#include <QPointer>
#include <QPolygonF>
#include <QVector>
#include <cmath>
#include <map>
#include <vector>

#include "host/graphics_model.h"

namespace velmora::qtview {

class AxesWidget : public QCustomPlot {
  public:
    AxesWidget(GraphicsModel& model, Handle h, QWidget* canvas);

    Handle handle() const { return h_; }
    // Rebuild the plot from the model and place it in the canvas.
    void sync();
    // A patch drawn with EraseMode "none" leaves every shape it has had on
    // the screen: remember its present one.
    void recordTrail(Handle patch);
    void forgetTrail(Handle patch);
    // The plot box in canvas coordinates.
    QRect plotBox() const { return box_; }
    // What the mouse at `pos` (widget pixels) points at: the nearest curve at
    // that x, interpolated, with the quantities and units of the axis labels
    // and the curve's legend row. Empty outside the plot box or off every
    // curve.
    QString readoutAt(const QPoint& pos) const;
    // The axes was deleted; the widget goes later (it may be on the stack).
    void dispose();
    bool disposed() const { return disposed_; }

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    struct Shape {
        std::vector<QPolygonF> polygons;
        QColor face, edge;
        bool fill = true, stroke = true;
        double width = 1;
        bool operator==(const Shape& o) const;
    };
    struct Curve {
        QString label;
        QVector<double> x, y;  // the points drawn
        QCPCurve* representative = nullptr;
    };
    struct Bounds {
        double lo = 1, hi = 0;  // empty while lo > hi
        void add(double v);
    };

    Shape shapeOf(Handle patch) const;
    // `index` is the line's place among the axes' lines: those beyond the
    // colour order's length take the next line style.
    void addLine(Handle line, std::size_t index, Bounds& bx, Bounds& by);
    std::string lineStyle(Handle line, std::size_t index) const;
    // The curve's value at `x`, interpolated on the axes' scales; false
    // when x lies outside it.
    bool valueAt(const Curve& c, double x, double& y) const;
    // The curve nearest to `pos` at its x, and the point on it; null when
    // there is none.
    const Curve* nearestAt(const QPoint& pos, double& x, double& y) const;
    // A ring on the point the readout tells about; hidden with null.
    void markPoint(const Curve* c, double x, double y);
    void addShape(const Shape& s, Bounds& bx, Bounds& by);
    void addText(Handle text);
    void configureAxis(QCPAxis* axis, QCPAxis* mirror, char letter, const QCPRange& range);
    QCPRange range(char letter, const Bounds& b) const;
    QCPRange requestedRange(char letter, const Bounds& b) const;
    void buildLegend(Handle legendHandle);
    void place(Handle titleHandle, Handle legendHandle);
    bool usable(double x, bool log) const { return std::isfinite(x) && (!log || x > 0); }
    void showTip(const QPoint& pos);

    GraphicsModel& model_;
    Handle h_;
    bool disposed_ = false;
    bool xlog_ = false, ylog_ = false;
    QString xLabel_, yLabel_;
    double ppi_ = 96;
    QRect box_;
    std::vector<Curve> curves_;
    QPointer<QCPItemTracer> marker_;
    std::map<Handle, std::vector<Shape>> trails_;
};

}  // namespace velmora::qtview
