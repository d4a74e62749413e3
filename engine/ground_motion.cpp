#include "engine/ground_motion.h"

#include "engine/record_file.h"
#include "engine/solver.h"

namespace velmora {

std::vector<double> load_ground_motion(const Value& catalogue, std::size_t r, double s,
                                       bool extend) {
    if (!catalogue.isCell() || r < 1 || r + 1 > catalogue.rows() || catalogue.cols() < 2) {
        throw Error("There is no catalogue record " + std::to_string(r) + ".");
    }
    const std::string fileName = catalogue.cellAt(r + 1, 2).toText();
    std::vector<double> a = loadRecordAcceleration(fileName);
    for (double& x : a) x *= s;
    if (extend && a.size() < MAX_STEPS) a.resize(MAX_STEPS, 0.0);
    return a;
}

}  // namespace velmora
