#include "view/qt_fonts.h"

#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>

#include "view/qt_values.h"

namespace velmora::qtview {

namespace {

// Liberation faces have the metrics of the classic faces the layouts were
// made with; DejaVu is the fallback that is always installed.
QStringList familiesFor(const std::string& name, QFont::StyleHint& hint) {
    const std::string n = keyword(Value::text(name));
    if (n == "time" || n == "times" || n == "times new roman" || n == "times-roman" ||
        n == "serif") {
        hint = QFont::Serif;
        return {"Liberation Serif", "DejaVu Serif"};
    }
    if (n == "fixedsys" || n == "fixedwidth" || n == "monospace" || n == "fixed") {
        hint = QFont::Monospace;
        return {"DejaVu Sans Mono", "Liberation Mono"};
    }
    if (n == "courier" || n == "courier new") {
        hint = QFont::Monospace;
        return {"Liberation Mono", "DejaVu Sans Mono"};
    }
    hint = QFont::SansSerif;
    if (n.empty() || n == "helvetica" || n == "arial" || n == "sansserif" || n == "sans") {
        return {"Liberation Sans", "DejaVu Sans"};
    }
    return {QString::fromStdString(name), "Liberation Sans", "DejaVu Sans"};
}

}  // namespace

QFont fontFor(const std::string& name, double sizePoints, const std::string& weight,
              const std::string& angle) {
    QFont::StyleHint hint = QFont::SansSerif;
    QFont f;
    f.setFamilies(familiesFor(name, hint));
    f.setStyleHint(hint);
    double size = sizePoints > 0 ? sizePoints : 10;
    // The layouts were drawn for the narrow Fixedsys bitmap face (about 0.55 em
    // a character); DejaVu Sans Mono is 0.6 em, so it runs a tenth smaller to
    // keep list columns and record labels inside their boxes.
    const std::string n = keyword(Value::text(name));
    if (n == "fixedsys") size *= 0.9;
    f.setPointSizeF(size);
    const std::string w = keyword(Value::text(weight));
    if (w == "bold") {
        f.setWeight(QFont::Bold);
    } else if (w == "demi") {
        f.setWeight(QFont::DemiBold);
    } else if (w == "light") {
        f.setWeight(QFont::Light);
    } else {
        f.setWeight(QFont::Normal);
    }
    const std::string a = keyword(Value::text(angle));
    f.setItalic(a == "italic" || a == "oblique");
    return f;
}

QFont fontOf(const GraphicsModel& m, Handle h) {
    const Value name = prop(m, h, "FontName");
    const Value angle = prop(m, h, "FontAngle");
    return fontFor(name.isChar() ? name.toText() : std::string(),
                   number(prop(m, h, "FontSize"), 10), keyword(prop(m, h, "FontWeight")),
                   angle.isChar() ? keyword(angle) : std::string("normal"));
}

TextMetrics measureLines(const std::vector<std::string>& lines, const QFont& font, double ppi) {
    const QFontMetricsF fm(font);
    double width = 0;
    for (const auto& l : lines) {
        width = std::max(width, fm.horizontalAdvance(QString::fromStdString(l)));
    }
    const double n = static_cast<double>(std::max<std::size_t>(lines.size(), 1));
    TextMetrics m;
    const double toPoints = 72.0 / (ppi > 0 ? ppi : 96);
    m.width = width * toPoints;
    m.height = fm.lineSpacing() * n * toPoints;
    return m;
}

}  // namespace velmora::qtview
