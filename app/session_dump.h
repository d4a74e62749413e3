// The session dump: globals, the current figure and every figure's object
// tree, as one JSON document.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "host/graphics_model.h"
#include "host/value.h"

namespace velmora {

nlohmann::ordered_json valueToJson(const Value& v);
nlohmann::ordered_json objectToJson(const GraphicsModel& model, Handle h);
nlohmann::ordered_json dumpSession();

// dumpSession() as one line of JSON. Texts are bytes that need not be UTF-8
// (a Latin-1 character typed into a field or held in the layout file):
// invalid bytes become U+FFFD instead of failing the dump.
std::string dumpSessionText();

}  // namespace velmora
