// The model's font names as faces Debian ships: "Time" a serif face,
// "Fixedsys" a monospaced one, "Helvetica" (and anything unknown) a sans.
#pragma once

#include <QFont>
#include <string>
#include <vector>

#include "host/graphics_model.h"

namespace velmora::qtview {

QFont fontFor(const std::string& name, double sizePoints, const std::string& weight,
              const std::string& angle = "normal");
// The font of an object with FontName/FontSize/FontWeight/FontAngle.
QFont fontOf(const GraphicsModel& m, Handle h);

// Width and height in points of lines set in a font (needs a running
// QGuiApplication).
TextMetrics measureLines(const std::vector<std::string>& lines, const QFont& font, double ppi);

}  // namespace velmora::qtview
