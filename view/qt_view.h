// The Qt view of the graphics host: figures as real windows, controls as
// real widgets.
#pragma once

#include <memory>

#include "host/graphics_host.h"

namespace velmora {

std::unique_ptr<HostView> makeQtView();

}  // namespace velmora
