#include "view/qt_axes_widget.h"

#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <limits>

#include "host/axis_quantity.h"

// The readout under the pointer: the nearest curve's value, marked and shown in a tip.

namespace velmora::qtview {

namespace {

// Three significant digits, trailing zeros kept ("1.20"); powers of ten
// for what fixed notation would show badly.
QString readoutNumber(double v) {
    if (v == 0) return "0";
    const double magnitude = std::fabs(v);
    if (magnitude >= 1e-3 && magnitude < 1e5) {
        const int decimals = std::max(0, 2 - static_cast<int>(std::floor(std::log10(magnitude))));
        return QString::number(v, 'f', decimals);
    }
    return QString::number(v, 'e', 2);
}

// "Period 1.20 s": the quantity the label names, the value, its unit.
QString readoutPart(const QString& label, const char* fallback, double value) {
    const AxisQuantity q = axisQuantity(label.toStdString());
    QString text = q.quantity.empty() ? QString(fallback) : QString::fromStdString(q.quantity);
    text += " " + readoutNumber(value);
    if (!q.unit.empty()) text += " " + QString::fromStdString(q.unit);
    return text;
}

}  // namespace

void AxesWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    QCustomPlot::mouseDoubleClickEvent(event);
    // Back to the view the program set up.
    sync();
}

void AxesWidget::leaveEvent(QEvent* event) {
    QToolTip::hideText();
    markPoint(nullptr, 0, 0);
    QCustomPlot::leaveEvent(event);
}

void AxesWidget::mouseMoveEvent(QMouseEvent* event) {
    QCustomPlot::mouseMoveEvent(event);
    if (event->buttons() == Qt::NoButton) showTip(event->pos());
}

bool AxesWidget::valueAt(const Curve& c, double x, double& y) const {
    auto sx = [this](double v) { return xlog_ ? std::log10(v) : v; };
    auto sy = [this](double v) { return ylog_ ? std::log10(v) : v; };
    const double at = sx(x);
    for (int i = 0; i + 1 < c.x.size(); ++i) {
        const double x0 = sx(c.x[i]), x1 = sx(c.x[i + 1]);
        if (at < std::min(x0, x1) || at > std::max(x0, x1)) continue;
        const double t = x1 == x0 ? 0 : (at - x0) / (x1 - x0);
        const double v = sy(c.y[i]) + t * (sy(c.y[i + 1]) - sy(c.y[i]));
        y = ylog_ ? std::pow(10.0, v) : v;
        return true;
    }
    // A lone point counts where the mouse is right over it.
    if (c.x.size() == 1 && std::fabs(xAxis->coordToPixel(c.x[0]) - xAxis->coordToPixel(x)) < 3) {
        y = c.y[0];
        return true;
    }
    return false;
}

const AxesWidget::Curve* AxesWidget::nearestAt(const QPoint& pos, double& x, double& y) const {
    if (!axisRect()->rect().contains(pos)) return nullptr;
    x = xAxis->pixelToCoord(pos.x());
    if (!usable(x, xlog_)) return nullptr;
    const Curve* nearest = nullptr;
    double best = std::numeric_limits<double>::infinity();
    for (const Curve& c : curves_) {
        double v = 0;
        if (!valueAt(c, x, v)) continue;
        const double d = std::fabs(yAxis->coordToPixel(v) - pos.y());
        if (d < best) {
            best = d;
            nearest = &c;
            y = v;
        }
    }
    return nearest;
}

QString AxesWidget::readoutAt(const QPoint& pos) const {
    double x = 0, y = 0;
    const Curve* c = nearestAt(pos, x, y);
    if (!c) return QString();
    const QString values = readoutPart(xLabel_, "x", x) + ", " + readoutPart(yLabel_, "y", y);
    return c->label.isEmpty() ? values : c->label + "\n" + values;
}

void AxesWidget::markPoint(const Curve* c, double x, double y) {
    if (!c) {
        if (marker_ && marker_->visible()) {
            marker_->setVisible(false);
            replot(QCustomPlot::rpQueuedReplot);
        }
        return;
    }
    if (!marker_) {
        marker_ = new QCPItemTracer(this);
        marker_->setStyle(QCPItemTracer::tsCircle);
        marker_->setSelectable(false);
    }
    QPen pen = c->representative ? c->representative->pen() : QPen(Qt::black);
    pen.setStyle(Qt::SolidLine);
    pen.setWidthF(std::max(1.5, pen.widthF() * 1.5));
    marker_->setPen(pen);
    marker_->setBrush(Qt::NoBrush);
    marker_->setSize(std::max(7.0, ppi_ / 12));
    marker_->position->setCoords(x, y);
    marker_->setVisible(true);
    replot(QCustomPlot::rpQueuedReplot);
}

void AxesWidget::showTip(const QPoint& pos) {
    double x = 0, y = 0;
    const Curve* c = nearestAt(pos, x, y);
    markPoint(c, x, y);
    const QString tip = readoutAt(pos);
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(mapToGlobal(pos), tip, this);
}

}  // namespace velmora::qtview
