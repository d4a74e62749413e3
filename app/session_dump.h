// The session dump: globals, the current figure and every figure's object
// tree, as one JSON document.
#pragma once

#include <nlohmann/json.hpp>

#include "host/graphics_model.h"
#include "host/value.h"

namespace velmora {

nlohmann::ordered_json valueToJson(const Value& v);
nlohmann::ordered_json objectToJson(const GraphicsModel& model, Handle h);
nlohmann::ordered_json dumpSession();

}  // namespace velmora
