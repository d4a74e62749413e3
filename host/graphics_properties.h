// Property tables of the graphics objects (internal to the host).
#pragma once

#include <string>

#include "host/graphics_model.h"

namespace velmora {

// The default of a property for an object type; empty when it has none.
Value typeDefault(ObjectType type, const std::string& canonical);
bool isColorProperty(const std::string& canonical);
std::string lowerText(const std::string& s);

}  // namespace velmora
