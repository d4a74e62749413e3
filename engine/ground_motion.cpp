#include "engine/ground_motion.h"

#include <cmath>
#include <cstdio>

#include "engine/record_file.h"
#include "engine/solver.h"

namespace velmora {

std::string messageNumber(double x) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x > 0 ? "Inf" : "-Inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", x);
    return text;
}

std::vector<double> load_ground_motion(const Value& catalogue, std::size_t r, double s, bool extend,
                                       bool* standIn) {
    if (!catalogue.isCell() || r < 1 || r + 1 > catalogue.rows() || catalogue.cols() < 2) {
        throw Error("There is no catalogue record " + std::to_string(r) + ".");
    }
    const std::string fileName = catalogue.cellAt(r + 1, 2).toText();
    RecordFile record = readRecordFile(fileName);
    std::vector<double>& a = record.acceleration;
    for (double& x : a) x *= s;
    // Finite samples times a finite factor can still overflow (1e308).
    requireFiniteSamples(a, recordVariableText(fileName) + " scaled by " + messageNumber(s));
    if (extend && a.size() < MAX_STEPS) a.resize(MAX_STEPS, 0.0);
    if (standIn != nullptr) *standIn = record.standIn;
    return std::move(a);
}

}  // namespace velmora
