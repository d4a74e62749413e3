#include "view/qt_axes_widget.h"

#include <QFontMetrics>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <limits>

#include "host/axis_quantity.h"
#include "view/qt_fonts.h"
#include "view/qt_units.h"
#include "view/qt_values.h"

namespace velmora::qtview {

namespace {

Qt::PenStyle penStyle(const std::string& s) {
    if (s == "--") return Qt::DashLine;
    if (s == ":") return Qt::DotLine;
    if (s == "-.") return Qt::DashDotLine;
    if (s == "none") return Qt::NoPen;
    return Qt::SolidLine;
}

QCPScatterStyle::ScatterShape markerShape(const std::string& m) {
    if (m == "o") return QCPScatterStyle::ssCircle;
    if (m == "+") return QCPScatterStyle::ssPlus;
    if (m == "x") return QCPScatterStyle::ssCross;
    if (m == "*") return QCPScatterStyle::ssStar;
    if (m == ".") return QCPScatterStyle::ssDisc;
    if (m == "s" || m == "square") return QCPScatterStyle::ssSquare;
    if (m == "d" || m == "diamond") return QCPScatterStyle::ssDiamond;
    if (m == "^" || m == "v" || m == "<" || m == ">") return QCPScatterStyle::ssTriangle;
    return QCPScatterStyle::ssNone;
}

double niceStep(double raw) {
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / p;
    if (m <= 1) return p;
    if (m <= 2) return 2 * p;
    if (m <= 5) return 5 * p;
    return 10 * p;
}

QCPRange autoRange(double lo, double hi, bool empty, bool log) {
    if (empty) return log ? QCPRange(1, 10) : QCPRange(0, 1);
    if (log) {
        // Whole decades, as the tick labels are.
        const double a = std::pow(10.0, std::floor(std::log10(lo) + 1e-9));
        double b = std::pow(10.0, std::ceil(std::log10(hi) - 1e-9));
        if (b <= a) b = a * 10;
        return QCPRange(a, b);
    }
    if (lo == hi) return QCPRange(lo - 1, hi + 1);
    const double step = niceStep((hi - lo) / 5);
    return QCPRange(std::floor(lo / step + 1e-9) * step, std::ceil(hi / step - 1e-9) * step);
}

QString formatTick(double v) {
    return QString::number(v, 'g', 6);
}

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

// The line styles that follow one another once the colours are used up.
const char* const kStyleCycle[] = {"-", "--", ":", "-."};

Qt::Alignment horizontal(const std::string& a) {
    if (a == "center") return Qt::AlignHCenter;
    if (a == "right") return Qt::AlignRight;
    return Qt::AlignLeft;
}

Qt::Alignment vertical(const std::string& a) {
    if (a == "top" || a == "cap") return Qt::AlignTop;
    if (a == "bottom" || a == "baseline") return Qt::AlignBottom;
    return Qt::AlignVCenter;
}

Handle handleIn(const Value& v) {
    return v.isScalar() ? v.toDouble() : -1;
}

bool isPowerOfTen(double v) {
    const double k = std::round(std::log10(v));
    return std::fabs(v / std::pow(10.0, k) - 1) < 1e-9;
}

// Log axes: the decades labelled as powers of ten (every n-th when there are
// many), minor ticks at their 2..9 multiples. A range holding fewer than two
// decades gets 1-2-5 ticks with plain numbers instead, so it is never bare.
class DecadeTicker : public QCPAxisTicker {
  protected:
    QVector<double> createTickVector(double, const QCPRange& r) override {
        const int lo = static_cast<int>(std::floor(std::log10(r.lower) + 1e-9));
        const int hi = static_cast<int>(std::ceil(std::log10(r.upper) - 1e-9));
        int inside = 0;
        for (int k = lo; k <= hi; ++k) {
            const double t = std::pow(10.0, k);
            if (t >= r.lower * (1 - 1e-9) && t <= r.upper * (1 + 1e-9)) ++inside;
        }
        QVector<double> ticks;
        stride_ = 1;
        fine_ = inside < 2;
        if (fine_) {
            for (int k = lo - 1; k <= hi; ++k) {
                for (double m : {1.0, 2.0, 5.0}) ticks << m * std::pow(10.0, k);
            }
            return ticks;
        }
        stride_ = std::max(1, static_cast<int>(std::ceil((hi - lo) / 8.0)));
        const int first = static_cast<int>(std::floor(static_cast<double>(lo) / stride_)) * stride_;
        for (int k = first - stride_; k <= hi + stride_; k += stride_) {
            ticks << std::pow(10.0, k);
        }
        return ticks;
    }
    int getSubTickCount(double) override { return 1; }
    QVector<double> createSubTickVector(int, const QVector<double>& ticks) override {
        QVector<double> sub;
        // Beyond a few decades a step, minor ticks would only blacken the axis.
        if (ticks.isEmpty() || stride_ > 4) return sub;
        const int lo = static_cast<int>(std::floor(std::log10(ticks.first()) + 1e-9));
        const int hi = static_cast<int>(std::ceil(std::log10(ticks.last()) - 1e-9));
        for (int k = lo; k <= hi; ++k) {
            const double decade = std::pow(10.0, k);
            if (stride_ > 1 && !fine_) {
                if (k % stride_ != 0) sub << decade;
                continue;
            }
            for (int m = 2; m <= 9; ++m) {
                if (fine_ && (m == 2 || m == 5)) continue;
                sub << m * decade;
            }
        }
        return sub;
    }
    QString getTickLabel(double tick, const QLocale& locale, QChar, int) override {
        // "1e+01" is drawn as 10 with a raised 1 by the axis ("eb" format).
        if (isPowerOfTen(tick)) return locale.toString(tick, 'e', 0);
        return locale.toString(tick, 'g', 6);
    }

  private:
    int stride_ = 1;
    bool fine_ = false;
};

}  // namespace

bool AxesWidget::Shape::operator==(const Shape& o) const {
    return polygons == o.polygons && face == o.face && edge == o.edge && fill == o.fill &&
           stroke == o.stroke && width == o.width;
}

void AxesWidget::Bounds::add(double v) {
    if (lo > hi) {
        lo = hi = v;
    } else {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

AxesWidget::AxesWidget(GraphicsModel& model, Handle h, QWidget* canvas)
    : QCustomPlot(canvas), model_(model), h_(h) {
    setProperty("velmoraHandle", h);
    // The figure's colour shows around the plot box, also through the
    // margins of neighbouring axes.
    setBackground(QBrush(Qt::NoBrush));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAttribute(Qt::WA_NoSystemBackground, false);
    setAutoAddPlottableToLegend(false);
    setMouseTracking(true);
    legend->setSelectableParts(QCPLegend::spNone);
    for (auto [main, mirror] : {std::pair{xAxis, xAxis2}, std::pair{yAxis, yAxis2}}) {
        connect(main, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), mirror,
                qOverload<const QCPRange&>(&QCPAxis::setRange));
    }
}

void AxesWidget::dispose() {
    if (disposed_) return;
    disposed_ = true;
    hide();
    deleteLater();
}

void AxesWidget::recordTrail(Handle patch) {
    if (!model_.isHandle(patch) || keyword(prop(model_, patch, "EraseMode")) != "none") return;
    Shape s = shapeOf(patch);
    auto& trail = trails_[patch];
    if (trail.empty() || !(trail.back() == s)) trail.push_back(std::move(s));
}

void AxesWidget::forgetTrail(Handle patch) {
    trails_.erase(patch);
}

AxesWidget::Shape AxesWidget::shapeOf(Handle p) const {
    Shape s;
    const Value faceColor = prop(model_, p, "FaceColor");
    const Value edgeColor = prop(model_, p, "EdgeColor");
    s.fill = !isNoneColor(faceColor);
    s.stroke = !isNoneColor(edgeColor);
    s.face = toColor(faceColor, QColor(Qt::black));
    s.edge = toColor(edgeColor, QColor(Qt::black));
    s.width = std::max(1.0, number(prop(model_, p, "LineWidth"), 0.5) * ppi_ / 72.0);
    const Value v = prop(model_, p, "Vertices");
    const Value f = prop(model_, p, "Faces");
    if (!v.isDouble() || v.cols() < 2 || v.rows() == 0) return s;
    const std::size_t n = v.rows();
    auto vertex = [&](std::size_t i) { return QPointF(v.data()[i], v.data()[n + i]); };
    if (!f.isDouble() || f.isEmpty()) {
        QPolygonF poly;
        for (std::size_t i = 0; i < n; ++i) poly << vertex(i);
        s.polygons.push_back(poly);
        return s;
    }
    const std::size_t rows = f.rows(), cols = f.cols();
    for (std::size_t r = 0; r < rows; ++r) {
        QPolygonF poly;
        for (std::size_t c = 0; c < cols; ++c) {
            const double k = f.data()[c * rows + r];
            if (!std::isfinite(k)) break;  // shorter faces are padded
            const long i = std::lround(k) - 1;
            if (i >= 0 && static_cast<std::size_t>(i) < n) poly << vertex(i);
        }
        if (!poly.isEmpty()) s.polygons.push_back(poly);
    }
    return s;
}

void AxesWidget::addShape(const Shape& s, Bounds& bx, Bounds& by) {
    for (const QPolygonF& poly : s.polygons) {
        QVector<double> x, y;
        for (const QPointF& p : poly) {
            // A corner a log scale cannot show is left out of the outline.
            if (!usable(p.x(), xlog_) || !usable(p.y(), ylog_)) continue;
            x << p.x();
            y << p.y();
            bx.add(p.x());
            by.add(p.y());
        }
        if (x.size() < 2) continue;
        x << x.front();
        y << y.front();
        auto* c = new QCPCurve(xAxis, yAxis);
        c->setData(x, y);
        c->setAntialiased(false);
        c->setAntialiasedFill(false);
        c->setBrush(s.fill ? QBrush(s.face) : QBrush(Qt::NoBrush));
        c->setPen(s.stroke ? QPen(s.edge, s.width) : QPen(Qt::NoPen));
        c->setSelectable(QCP::stNone);
    }
}

std::string AxesWidget::lineStyle(Handle line, std::size_t index) const {
    if (model_.object(line).find("LineStyle")) {
        const Value set = prop(model_, line, "LineStyle");
        return set.isChar() ? set.toText() : std::string("-");
    }
    // A curve that repeats a colour of the colour order gets the next style,
    // so that every curve of a plot differs in colour or style.
    const Value order = prop(model_, h_, "ColorOrder");
    const std::size_t colours = order.isDouble() && order.cols() == 3 ? order.rows() : 0;
    if (colours == 0 || index < colours) return "-";
    const Value colour = prop(model_, line, "Color");
    if (!(colour == Value::row(order.rowValues(index % colours + 1)))) return "-";
    return kStyleCycle[(index / colours) % std::size(kStyleCycle)];
}

void AxesWidget::addLine(Handle line, std::size_t index, Bounds& bx, Bounds& by) {
    const Value xd = prop(model_, line, "XData");
    const Value yd = prop(model_, line, "YData");
    const bool shown = keyword(prop(model_, line, "Visible")) != "off";
    const std::size_t n = std::min(xd.isDouble() ? xd.numel() : 0, yd.isDouble() ? yd.numel() : 0);
    QPen pen(toColor(prop(model_, line, "Color"), QColor(Qt::black)));
    pen.setWidthF(std::max(1.0, number(prop(model_, line, "LineWidth"), 0.5) * ppi_ / 72.0));
    const std::string style = lineStyle(line, index);
    pen.setStyle(penStyle(style));
    pen.setJoinStyle(Qt::RoundJoin);
    const std::string marker = keyword(prop(model_, line, "Marker"));
    QCPScatterStyle scatter(markerShape(marker), 6 * ppi_ / 72.0);
    scatter.setPen(QPen(pen.color(), pen.widthF()));

    Curve info;
    auto newCurve = [&]() {
        auto* c = new QCPCurve(xAxis, yAxis);
        c->setPen(pen);
        c->setScatterStyle(scatter);
        c->setSelectable(QCP::stNone);
        if (style == "none") c->setLineStyle(QCPCurve::lsNone);
        if (!info.representative) info.representative = c;
        return c;
    };
    // A point a log scale cannot show breaks the curve there, as a missing
    // value does; the rest is drawn.
    QVector<double> sx, sy;
    auto flush = [&]() {
        if (!sx.isEmpty() && shown) newCurve()->setData(sx, sy);
        sx.clear();
        sy.clear();
    };
    for (std::size_t i = 0; i < n; ++i) {
        const double x = xd.data()[i], y = yd.data()[i];
        if (!usable(x, xlog_) || !usable(y, ylog_)) {
            flush();
            continue;
        }
        sx << x;
        sy << y;
        if (shown) {
            info.x << x;
            info.y << y;
        }
        bx.add(x);
        by.add(y);
    }
    flush();
    if (!info.representative) {
        // Nothing to draw, but the legend still has a row for it.
        newCurve()->setVisible(false);
    }
    curves_.push_back(std::move(info));
}

void AxesWidget::addText(Handle t) {
    const QString text = joinedText(prop(model_, t, "String"));
    if (text.isEmpty() || keyword(prop(model_, t, "Visible")) == "off") return;
    const Value pos = prop(model_, t, "Position");
    const double x = pos.isDouble() && pos.numel() > 0 ? pos.data()[0] : 0;
    const double y = pos.isDouble() && pos.numel() > 1 ? pos.data()[1] : 0;
    auto* item = new QCPItemText(this);
    if (keyword(prop(model_, t, "Units")) == "normalized") {
        item->position->setType(QCPItemPosition::ptAxisRectRatio);
        item->position->setCoords(x, 1 - y);
    } else {
        if (!usable(x, xlog_) || !usable(y, ylog_)) {
            removeItem(item);
            return;
        }
        item->position->setCoords(x, y);
    }
    const Qt::Alignment h = horizontal(keyword(prop(model_, t, "HorizontalAlignment")));
    item->setPositionAlignment(h | vertical(keyword(prop(model_, t, "VerticalAlignment"))));
    item->setTextAlignment(h);
    item->setText(text);
    item->setFont(fontOf(model_, t));
    item->setColor(toColor(prop(model_, t, "Color"), QColor(Qt::black)));
    item->setRotation(-number(prop(model_, t, "Rotation"), 0));
    item->setClipToAxisRect(false);
    item->setSelectable(false);
}

QCPRange AxesWidget::range(char letter, const Bounds& b) const {
    // The plot library refuses extreme ranges; keep within what it draws.
    const bool log = letter == 'X' ? xlog_ : ylog_;
    QCPRange r = requestedRange(letter, b);
    const double far = 1e150;
    r.lower = std::clamp(r.lower, log ? 1 / far : -far, far);
    r.upper = std::clamp(r.upper, log ? 1 / far : -far, far);
    if (!QCPRange::validRange(r)) r = log ? QCPRange(1, 10) : QCPRange(0, 1);
    return r;
}

QCPRange AxesWidget::requestedRange(char letter, const Bounds& b) const {
    const std::string L(1, letter);
    const bool log = letter == 'X' ? xlog_ : ylog_;
    const QCPRange automatic = autoRange(b.lo, b.hi, b.lo > b.hi, log);
    if (keyword(prop(model_, h_, L + "LimMode")) != "manual") return automatic;
    const Value lim = prop(model_, h_, L + "Lim");
    if (!lim.isDouble() || lim.numel() != 2) return automatic;
    // An infinite end keeps its automatic place.
    double lo = std::isinf(lim.data()[0]) ? automatic.lower : lim.data()[0];
    double hi = std::isinf(lim.data()[1]) ? automatic.upper : lim.data()[1];
    if (std::isnan(lo) || std::isnan(hi) || !(lo < hi)) return automatic;
    if (log && hi <= 0) return automatic;
    if (log && lo <= 0) lo = std::min(automatic.lower, hi / 10);
    return QCPRange(lo, hi);
}

void AxesWidget::configureAxis(QCPAxis* axis, QCPAxis* mirror, char letter, const QCPRange& r) {
    const std::string L(1, letter);
    const bool log = letter == 'X' ? xlog_ : ylog_;
    const bool shown = keyword(prop(model_, h_, "Visible")) != "off";
    const bool box = shown && keyword(prop(model_, h_, "Box")) == "on";
    const QColor color = toColor(prop(model_, h_, L + "Color"), QColor(Qt::black));
    const QFont font = fontOf(model_, h_);

    axis->setScaleType(log ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
    mirror->setScaleType(axis->scaleType());
    axis->setRange(r);
    mirror->setRange(r);

    // Ticks the program chose (an empty choice means none at all).
    const GraphicsObject& o = model_.object(h_);
    const bool manualTicks =
        o.find(L + "Tick") != nullptr || keyword(prop(model_, h_, L + "TickMode")) == "manual";
    const Value ticks = prop(model_, h_, L + "Tick");
    bool hasTicks = true;
    bool subTicks = log;
    QSharedPointer<QCPAxisTicker> ticker;
    if (manualTicks) {
        QVector<double> at;
        if (ticks.isDouble()) {
            for (double t : ticks.data()) {
                if (usable(t, log)) at << t;
            }
        }
        hasTicks = !at.isEmpty();
        QStringList given;
        const bool labelsGiven = o.find(L + "TickLabel") != nullptr;
        if (labelsGiven) given = textLines(prop(model_, h_, L + "TickLabel"), true);
        QVector<QString> labels;
        for (int i = 0; i < at.size(); ++i) {
            if (labelsGiven) {
                labels << (given.isEmpty() ? QString() : given[i % given.size()]);
            } else {
                labels << formatTick(at[i]);
            }
        }
        auto text = QSharedPointer<QCPAxisTickerText>::create();
        text->setTicks(at, labels);
        text->setSubTickCount(0);
        ticker = text;
        subTicks = false;
    } else if (log) {
        ticker = QSharedPointer<DecadeTicker>::create();
        axis->setNumberFormat("eb");
        axis->setNumberPrecision(0);
    } else {
        ticker = QSharedPointer<QCPAxisTicker>::create();
        axis->setNumberFormat("g");
        axis->setNumberPrecision(6);
    }
    const QPen pen(color, 1);
    for (QCPAxis* a : {axis, mirror}) {
        a->setTicker(ticker);
        a->setBasePen(pen);
        a->setTickPen(pen);
        a->setSubTickPen(pen);
        a->setTicks(hasTicks);
        a->setSubTicks(subTicks);
        a->setTickLengthIn(std::max(3, static_cast<int>(std::lround(ppi_ / 18))));
        a->setTickLengthOut(0);
        a->setSubTickLengthIn(std::max(2, static_cast<int>(std::lround(ppi_ / 32))));
        a->setSubTickLengthOut(0);
        a->setTickLabelFont(font);
        a->setTickLabelColor(color);
        a->setLabelColor(color);
    }
    axis->setVisible(shown);
    axis->setTickLabels(hasTicks);
    mirror->setVisible(box);
    mirror->setTickLabels(false);
    mirror->grid()->setVisible(false);
    mirror->grid()->setSubGridVisible(false);

    const bool grid = shown && keyword(prop(model_, h_, L + "Grid")) == "on" && hasTicks;
    QColor gridColor = color;
    gridColor.setAlpha(90);
    QColor subColor = color;
    subColor.setAlpha(45);
    axis->grid()->setVisible(grid);
    axis->grid()->setPen(QPen(gridColor, 1, Qt::DotLine));
    axis->grid()->setZeroLinePen(QPen(gridColor, 1, Qt::DotLine));
    axis->grid()->setSubGridPen(QPen(subColor, 1, Qt::DotLine));
    axis->grid()->setSubGridVisible(grid && subTicks);
}

void AxesWidget::buildLegend(Handle lh) {
    legend->setVisible(false);
    if (lh < 0 || keyword(prop(model_, lh, "Visible")) == "off") return;
    const QStringList rows = textLines(prop(model_, lh, "String"));
    const QFont font = fontOf(model_, lh);
    legend->setFont(font);
    legend->setTextColor(Qt::black);
    // Lightly translucent: curves under the box stay visible.
    legend->setBrush(QBrush(QColor(255, 255, 255, 200)));
    legend->setBorderPen(QPen(Qt::black, 1));
    const QFontMetrics fm(font);
    legend->setIconSize(static_cast<int>(std::lround(ppi_ * 0.3)), fm.height());
    legend->setIconTextPadding(static_cast<int>(std::lround(ppi_ / 16)));
    legend->setRowSpacing(0);
    legend->setMargins(QMargins(6, 3, 6, 3));
    // One row per curve, in the order the curves were made.
    int k = 0;
    for (Curve& c : curves_) {
        if (k >= rows.size()) break;
        c.label = rows[k++];
        c.representative->setName(c.label);
        auto* item = new QCPPlottableLegendItem(legend, c.representative);
        item->setSelectable(false);
        legend->addItem(item);
    }
    legend->setVisible(k > 0);
}

void AxesWidget::place(Handle titleHandle, Handle legendHandle) {
    QWidget* canvas = parentWidget();
    const QSize area = canvas ? canvas->size() : size();
    box_ = rectFromPosition(prop(model_, h_, "Position"), keyword(prop(model_, h_, "Units")), area,
                            ppi_);
    box_.setWidth(std::max(box_.width(), 1));
    box_.setHeight(std::max(box_.height(), 1));

    QCPAxisRect* r = axisRect();
    // Ask the layout what the tick labels and axis labels need ...
    r->setAutoMargins(QCP::msAll);
    r->setMinimumMargins(QMargins(0, 0, 0, 0));
    const QMargins guess(70, 20, 20, 50);
    setGeometry(box_.marginsAdded(guess));
    setViewport(QRect(QPoint(0, 0), size()));
    plotLayout()->update(QCPLayoutElement::upPreparation);
    plotLayout()->update(QCPLayoutElement::upMargins);
    QMargins need = r->margins();

    // ... and add what it does not count: tick labels reaching past the
    // box corners, and the title.
    const QFontMetrics tickFm(xAxis->tickLabelFont());
    int xOver = 2;
    if (xAxis->visible() && xAxis->tickLabels()) {
        for (const QString& label : xAxis->tickVectorLabels()) {
            xOver = std::max(xOver, tickFm.horizontalAdvance(label) / 2 + 2);
        }
    }
    const int yOver = yAxis->visible() && yAxis->tickLabels() ? tickFm.height() / 2 + 2 : 2;
    int titleHeight = 0;
    const QString title =
        titleHandle >= 0 ? joinedText(prop(model_, titleHandle, "String")) : QString();
    QFont titleFont;
    if (!title.isEmpty() && keyword(prop(model_, titleHandle, "Visible")) != "off") {
        titleFont = fontOf(model_, titleHandle);
        titleHeight =
            QFontMetrics(titleFont).height() * static_cast<int>(title.count('\n') + 1) + 6;
    }
    need.setTop(std::max(need.top(), yOver) + titleHeight);
    need.setRight(std::max(need.right(), xOver));
    need.setLeft(std::max(need.left(), xOver));
    need.setBottom(std::max(need.bottom(), yOver));

    // Only as far as the figure reaches.
    const QMargins m(
        std::clamp(need.left(), 0, std::max(0, box_.left())),
        std::clamp(need.top(), 0, std::max(0, box_.top())),
        std::clamp(need.right(), 0, std::max(0, area.width() - box_.x() - box_.width())),
        std::clamp(need.bottom(), 0, std::max(0, area.height() - box_.y() - box_.height())));
    r->setAutoMargins(QCP::msNone);
    r->setMargins(m);
    setGeometry(box_.marginsAdded(m));
    setViewport(QRect(QPoint(0, 0), size()));

    if (titleHeight > 0) {
        auto* item = new QCPItemText(this);
        item->position->setType(QCPItemPosition::ptAbsolute);
        item->position->setCoords(m.left() + box_.width() / 2.0, m.top() - 4);
        item->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        item->setTextAlignment(Qt::AlignHCenter);
        item->setText(title);
        item->setFont(titleFont);
        item->setColor(toColor(prop(model_, titleHandle, "Color"), QColor(Qt::black)));
        item->setClipToAxisRect(false);
        item->setSelectable(false);
    }

    if (legend->visible()) {
        // Inside the box, a little off the corner the location names.
        const QSize hint = legend->minimumOuterSizeHint();
        const double gap = std::max(4.0, ppi_ / 16);
        const double w = hint.width(), h = hint.height();
        const double bw = box_.width(), bh = box_.height();
        // 1 upper right, 2 upper left, 3 lower left, 4 lower right.
        const int code = static_cast<int>(number(prop(model_, legendHandle, "Location"), 1));
        const bool left = code == 2 || code == 3;
        const bool bottom = code == 3 || code == 4;
        const double x = left ? gap : bw - gap - w;
        const double y = bottom ? bh - gap - h : gap;
        QCPLayoutInset* inset = r->insetLayout();
        inset->setInsetPlacement(0, QCPLayoutInset::ipFree);
        inset->setInsetRect(0, QRectF(x / bw, y / bh, w / bw, h / bh));
    }
}

void AxesWidget::sync() {
    if (disposed_ || !model_.isHandle(h_)) return;
    ppi_ = screenPpi(model_);
    clearPlottables();
    clearItems();
    legend->clearItems();
    curves_.clear();

    const Value background = prop(model_, h_, "Color");
    const bool shown = keyword(prop(model_, h_, "Visible")) != "off";
    axisRect()->setBackground(isNoneColor(background) || !shown
                                  ? QBrush(Qt::NoBrush)
                                  : QBrush(toColor(background, QColor(Qt::white))));
    xlog_ = keyword(prop(model_, h_, "XScale")) == "log";
    ylog_ = keyword(prop(model_, h_, "YScale")) == "log";

    const GraphicsObject& a = model_.object(h_);
    const Handle labels[] = {
        handleIn(prop(model_, h_, "Title")), handleIn(prop(model_, h_, "XLabel")),
        handleIn(prop(model_, h_, "YLabel")), handleIn(prop(model_, h_, "ZLabel"))};
    Bounds bx, by;
    Handle legendHandle = -1;
    bool hasLines = false;
    std::size_t lineIndex = 0;
    // Creation order is drawing order: what came later lies on top.
    for (Handle c : a.children) {
        const GraphicsObject& o = model_.object(c);
        switch (o.type) {
            case ObjectType::Line:
                addLine(c, lineIndex++, bx, by);
                hasLines = true;
                break;
            case ObjectType::Patch: {
                auto t = trails_.find(c);
                if (t != trails_.end()) {
                    for (const Shape& s : t->second) addShape(s, bx, by);
                }
                if (keyword(prop(model_, c, "Visible")) != "off") addShape(shapeOf(c), bx, by);
                break;
            }
            case ObjectType::Text:
                if (std::find(std::begin(labels), std::end(labels), c) == std::end(labels)) {
                    addText(c);
                }
                break;
            case ObjectType::Legend:
                legendHandle = c;
                break;
            default:
                break;
        }
    }
    configureAxis(xAxis, xAxis2, 'X', range('X', bx));
    configureAxis(yAxis, yAxis2, 'Y', range('Y', by));
    xLabel_ = yLabel_ = QString();
    for (auto [axis, label] : {std::pair{xAxis, labels[1]}, std::pair{yAxis, labels[2]}}) {
        QString text;
        if (label >= 0 && shown && keyword(prop(model_, label, "Visible")) != "off") {
            text = joinedText(prop(model_, label, "String"));
            axis->setLabelFont(fontOf(model_, label));
            axis->setLabelColor(toColor(prop(model_, label, "Color"), QColor(Qt::black)));
        }
        axis->setLabel(text);
        (axis == xAxis ? xLabel_ : yLabel_) = QString(text).replace('\n', ' ');
        axis->setLabelPadding(static_cast<int>(std::lround(ppi_ / 20)));
    }
    buildLegend(legendHandle);
    place(shown ? labels[0] : -1, legendHandle);

    setInteractions(hasLines ? QCP::iRangeDrag | QCP::iRangeZoom : QCP::Interactions());
    setVisible(true);
    replot(QCustomPlot::rpImmediateRefresh);
}

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
