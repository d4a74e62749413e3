#include "view/qt_units.h"

#include <algorithm>
#include <cmath>

namespace velmora::qtview {

double pixelsPerUnit(const std::string& units, double ppi) {
    if (units == "points") return ppi / 72.0;
    if (units == "inches") return ppi;
    if (units == "centimeters") return ppi / 2.54;
    if (units == "normalized") return 0;
    return 1;  // pixels, and units the view does not know
}

QRect rectFromPosition(const Value& position, const std::string& units, QSize parent, double ppi) {
    if (!position.isDouble() || position.numel() < 4) return QRect();
    const auto& p = position.data();
    double left = p[0], bottom = p[1], width = p[2], height = p[3];
    const double k = pixelsPerUnit(units, ppi);
    double kx = k, ky = k;
    if (k == 0) {
        kx = parent.width();
        ky = parent.height();
    } else if (units != "points" && units != "inches" && units != "centimeters") {
        left -= 1;
        bottom -= 1;
    }
    // Round the edges, not the sizes, so neighbours that touch in the model
    // touch on the screen.
    const long x0 = std::lround(left * kx);
    const long x1 = std::lround((left + std::max(width, 0.0)) * kx);
    const long y0 = std::lround(bottom * ky);
    const long y1 = std::lround((bottom + std::max(height, 0.0)) * ky);
    return QRect(static_cast<int>(x0), static_cast<int>(parent.height() - y1),
                 static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
}

Value positionFromRect(const QRect& rect, const std::string& units, QSize parent, double ppi) {
    const double k = pixelsPerUnit(units, ppi);
    const double left = rect.x();
    const double bottom = parent.height() - (rect.y() + rect.height());
    if (k == 0) {
        const double w = parent.width() > 0 ? parent.width() : 1;
        const double h = parent.height() > 0 ? parent.height() : 1;
        return Value::row({left / w, bottom / h, rect.width() / w, rect.height() / h});
    }
    if (units == "points" || units == "inches" || units == "centimeters") {
        return Value::row({left / k, bottom / k, rect.width() / k, rect.height() / k});
    }
    return Value::row({left + 1, bottom + 1, double(rect.width()), double(rect.height())});
}

}  // namespace velmora::qtview
