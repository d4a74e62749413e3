// The main function: start values, the catalogue and its derived tables, the
// console credits, then the welcome window.
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/functions.h"
#include "app/global_state.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

const std::vector<std::string>& creditLines() {
    static const std::vector<std::string> lines = {
        "VELMORA",
        "A Brevanto Program",
        "Version as of January, 2001",
        "Copyright (c) the VELMORA developers",
        "The VELMORA project",
        " ",
        "Built with C++20, Qt 6, QCustomPlot and matio",
        " ",
        "Spectrum engine and code: the VELMORA developers",
        "User interface and compilation: the VELMORA developers",
        " ",
        "Closing this window will terminate the program.",
        std::string(51, '-'),
        " ",
    };
    return lines;
}

}  // namespace

void velmora_gui() {
    gv(G::RECORD) = Value::scalar(1);
    gv(G::SCALE1) = Value::scalar(1);
    gv(G::numdamp) = Value::scalar(5);
    gv(G::damp) = Value::row({0.02, 0.05, 0.1, 0.15, 0.2});
    gv(G::numquakes) = Value::scalar(3);
    gv(G::EQ) = Value::row({1, 5, 10});
    gv(G::SCALE2) = Value::row({1, 2, 1});
    gv(G::DAMP) = Value::scalar(0.02);

    gv(G::EQ_data) = catalogueCells();
    const Value& catalogue = gv(G::EQ_data);
    gv(G::EQ_l) = Value::scalar(static_cast<double>(catalogue.length()));
    gv(G::EQ_1) = catalogueColumn(catalogue, 1);
    gv(G::EQ_3) = catalogueColumn(catalogue, 3);
    gv(G::EQ_string) = catalogueListLines(catalogue);

    const auto rows = static_cast<std::size_t>(gv(G::EQ_l).toDouble());
    Value scales = Value::ones(rows, 1);
    const Value& eq = gv(G::EQ);
    const Value& scale2 = gv(G::SCALE2);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(gv(G::numquakes).toDouble()); ++i) {
        scales.set(static_cast<std::size_t>(eq(i)), scale2(i));
    }
    gv(G::EQ_SC) = scales;

    for (const auto& line : creditLines()) mlfDisp(line);
    velmora_gui01(Value::scalar(0));
}

}  // namespace velmora
