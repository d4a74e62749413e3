// A figure drawn into files and onto the clipboard: PNG at 300 dpi, SVG and
// PDF as drawings, and the curves' numbers as CSV. Each throws Error with a
// message the user can act on.
#pragma once

#include <QByteArray>
#include <QImage>
#include <string>

#include "host/graphics_model.h"

namespace velmora::qtview {

// The figure's canvas (without the menu bar) at `scale` times its size on
// the screen.
QImage renderFigureImage(GraphicsModel& model, Handle figure, double scale = 1.0);

// The bytes of an image file of the figure; the file type follows the
// extension of `path`: .png, .svg or .pdf.
QByteArray encodeFigureImage(GraphicsModel& model, Handle figure, const std::string& path);

// The file type follows the extension: .png, .svg or .pdf. The file is
// written whole or not at all (see host/output_file.h).
void saveFigureImage(GraphicsModel& model, Handle figure, const std::string& path);

// One column of x per group of curves that share their x values, then one
// column per curve; headed by the x axis label and the legend rows.
void exportFigureCsv(GraphicsModel& model, Handle figure, const std::string& path);

void copyFigureToClipboard(GraphicsModel& model, Handle figure);

}  // namespace velmora::qtview
