#include "app/layout_file.h"

#include <algorithm>
#include <iostream>

#include "engine/record_file.h"
#include "host/graphics_model.h"
#include "host/matfile.h"

namespace velmora {

std::string layoutFilePath() {
    return dataFolder() + "/velmora_gui.mat";
}

Value builtinLayoutValue(const std::string& name) {
    if (name == "mat0") {
        // A 64-step blue-to-red colour map.
        std::vector<double> m(64 * 3);
        for (std::size_t i = 0; i < 64; ++i) {
            const double t = static_cast<double>(i) / 63.0;
            m[i] = t;
            m[64 + i] = 1.0 - std::abs(2.0 * t - 1.0);
            m[128 + i] = 1.0 - t;
        }
        return Value::matrix(64, 3, m);
    }
    if (name == "mat1") return defaultColorOrder();
    if (name == "mat2") return Value::matrix(4, 3, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1});
    if (name == "mat3") return Value::matrix(4, 2, {0, 0, 0, 0, 0, 0, 1, 1});
    return Value();
}

std::map<std::string, Value> readLayout(const std::vector<std::string>& names) {
    static bool warned = false;
    std::map<std::string, Value> found;
    std::string problem;
    try {
        found = mclLoadConditional(layoutFilePath(), names);
    } catch (const Error& e) {
        problem = e.what();
    }
    for (const char* key : {"mat0", "mat1", "mat2", "mat3"}) {
        if (std::find(names.begin(), names.end(), key) == names.end()) continue;
        if (found.count(key)) continue;
        found[key] = builtinLayoutValue(key);
        if (problem.empty()) problem = "\"" + layoutFilePath() + "\" holds no \"" + key + "\".";
    }
    if (!problem.empty() && !warned) {
        warned = true;
        std::cout << "Warning: " << problem << " Using the built-in layout." << std::endl;
    }
    return found;
}

}  // namespace velmora
