#include "view/qt_axes_widget.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "view/qt_fonts.h"
#include "view/qt_values.h"

// The axes' scales: their ranges, ticks and tick labels.

namespace velmora::qtview {

namespace {

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

}  // namespace velmora::qtview
