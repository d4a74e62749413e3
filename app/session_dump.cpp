#include "app/session_dump.h"

#include <cmath>

#include "app/global_state.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

nlohmann::ordered_json number(double x) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x > 0 ? "Inf" : "-Inf";
    return x;
}

}  // namespace

nlohmann::ordered_json valueToJson(const Value& v) {
    nlohmann::ordered_json j;
    auto rows = nlohmann::ordered_json::array();
    switch (v.kind()) {
        case ValueKind::Empty:
        case ValueKind::Double:
            j["class"] = "double";
            for (std::size_t r = 1; r <= v.rows(); ++r) {
                auto row = nlohmann::ordered_json::array();
                for (std::size_t c = 1; c <= v.cols(); ++c) row.push_back(number(v(r, c)));
                rows.push_back(row);
            }
            break;
        case ValueKind::Char:
            j["class"] = "char";
            for (const auto& s : v.charRows()) rows.push_back(s);
            break;
        case ValueKind::Cell:
            j["class"] = "cell";
            for (std::size_t r = 1; r <= v.rows(); ++r) {
                auto row = nlohmann::ordered_json::array();
                for (std::size_t c = 1; c <= v.cols(); ++c)
                    row.push_back(valueToJson(v.cellAt(r, c)));
                rows.push_back(row);
            }
            break;
    }
    j["size"] = {v.rows(), v.cols()};
    j["rows"] = rows;
    return j;
}

nlohmann::ordered_json objectToJson(const GraphicsModel& model, Handle h) {
    const GraphicsObject& o = model.object(h);
    nlohmann::ordered_json j;
    j["handle"] = h;
    j["type"] = typeName(o.type);
    nlohmann::ordered_json props = nlohmann::ordered_json::object();
    for (const auto& p : o.props) props[p.name] = valueToJson(p.value);
    j["props"] = props;
    auto kids = nlohmann::ordered_json::array();
    for (Handle c : o.children) kids.push_back(objectToJson(model, c));
    j["children"] = kids;
    return j;
}

nlohmann::ordered_json dumpSession() {
    nlohmann::ordered_json j;
    nlohmann::ordered_json globals = nlohmann::ordered_json::object();
    auto& state = GlobalState::instance();
    for (std::size_t i = 0; i < kGlobalCount; ++i) {
        globals[GlobalState::names()[i]] = valueToJson(state[static_cast<G>(i)]);
    }
    j["globals"] = globals;
    const GraphicsModel& model = hg();
    const Handle current = model.topFigure();
    j["current"] = current == 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(current);
    auto figures = nlohmann::ordered_json::array();
    for (Handle f : model.figuresInCreationOrder()) figures.push_back(objectToJson(model, f));
    j["figures"] = figures;
    return j;
}

std::string dumpSessionText() {
    return dumpSession().dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace velmora
