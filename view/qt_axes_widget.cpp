#include "view/qt_axes_widget.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

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

}  // namespace velmora::qtview
