#include "app/catalogue.h"

#include <array>
#include <vector>

#include "host/text_ops.h"

namespace velmora {

namespace {

using Row = std::array<const char*, 8>;

const std::array<Row, 22> kCatalogue = {{
    {"Num", "Filename", "Short name", "Description", "acc[cm/s^2]", "vel[cm/s]", "disp[cm]",
     "Number of Points"},
    {"1", "Impval1.mat", "Imperial Valley 1", "Imperial Valley, El Centro, May 18,1940, 270degr.",
     "341.7", "32.323", "10.86", "2688"},
    {"2", "Impval2.mat", "Imperial Valley 2", "Imperial Valley, El Centro, May 18,1940, 180degr.",
     "210.1", "-36.473", "-19.783", "2674"},
    {"3", "Mexcit1.mat", "Mexico City 1", "Mexico City, Station 1, Sept.19,1985, 270degr.",
     "-97.965", "38.739", "19.123", "9006"},
    {"4", "Mexcit2.mat", "Mexico City 2", "Mexico City, Station 1, Sept.19,1985, 180degr.",
     "-167.92", "-60.499", "21.936", "9006"},
    {"5", "Nridge1.mat", "Northridge 1", "Northridge, Sylmar County Hosp, Jan.17,1994, 90degr.",
     "592.639", "-76.936", "-15.217", "3000"},
    {"6", "Nridge2.mat", "Northridge 2",
     "Northridge, Santa Monica, City Hall Grounds, Jan.17,1994, 90degr.", "-865.97", "41.751",
     "-14.316", "3000"},
    {"7", "Nridge3.mat", "Northridge 3",
     "Northridge, Arleta and Nordhoff Fire Station, Jan.17,1994, 90degr.", "337.32", "-40.362",
     "8.878", "3000"},
    {"8", "Oakwh1.mat", "Oakland Warf 1", "Loma Prieta, Oakland Outer Wharf, Oct.17,1989, 270degr.",
     "270.361", "-37.574", "-7.999", "2000"},
    {"9", "Oakwh2.mat", "Oakland Warf 2", "Loma Prieta, Oakland Outer Wharf, Oct.17,1989, 0degr.",
     "-215.5", "-35.378", "8.871", "2000"},
    {"10", "Pacoima1.mat", "Pacoima Dam 1", "San Fernando, Pocoima Dam, Feb.9,1971, 196degr.",
     "1054.9", "-57.499", "-10.801", "2086"},
    {"11", "Pacoima2.mat", "Pacoima Dam 2", "San Fernando, Pocoima Dam, Feb.9,1971, 286degr.",
     "-1148.1", "-113.23", "37.538", "2088"},
    {"12", "Park040.mat", "Parkfield 1", "Parkfield, Cholame, Shandon, June 27,1966, 40degr.",
     "-232.6", "10.842", "4.41", "1310"},
    {"13", "Park130.mat", "Parkfield 2", "Parkfield, Cholame, Shandon, June 27,1966, 130degr.",
     "-269.6", "11.759", "-3.933", "1308"},
    {"14", "Sanfern1.mat", "San Fernando 1", "San Fernando, 8244 Orion Blvd., Feb.9,1971, 90degr.",
     "-250", "-29.745", "-14.789", "2975"},
    {"15", "Sanfern2.mat", "San Fernando 2", "San Fernando, 8244 Orion Blvd., Feb.9,1971, 180degr.",
     "-131.7", "23.933", "13.843", "2980"},
    {"16", "S_monica.mat", "Santa Monica",
     "Northridge, Santa Monica City Hall Grounds, Jan.17,1994, 90degr.", "-865.97", "41.751",
     "-14.316", "3000"},
    {"17", "Kern1.mat", "Kern County 1", "Kern County, Taft Lincoln Tunnel, July 21,1952, 69degr.",
     "152.7", "0", "0", "2719"},
    {"18", "Kern2.mat", "Kern County 2", "Kern County, Taft Lincoln Tunnel, July 21,1952, 339degr.",
     "175.9", "0", "0", "2720"},
    {"19", "Kobe.mat", "Kobe", "Kobe NS Component", "818.02", "0", "0", "2566"},
    {"20", "sin_load.mat", "Sinusoidal", "Sinusoidal Input with frequency = 2*Pi", "918", "0", "0",
     "3000"},
    {"21", "Impval1.mat", "Elcentro", "ElCentro: same as Imperial valley 1", "341.7", "32.323",
     "10.86", "2688"},
}};

}  // namespace

Value catalogueCells() {
    std::vector<Value> cells(kCatalogue.size() * 8);
    for (std::size_t r = 0; r < kCatalogue.size(); ++r) {
        for (std::size_t c = 0; c < 8; ++c) {
            cells[c * kCatalogue.size() + r] = Value::text(kCatalogue[r][c]);
        }
    }
    return Value::cell(kCatalogue.size(), 8, std::move(cells));
}

Value catalogueColumn(const Value& catalogue, std::size_t c) {
    std::vector<std::string> lines;
    for (std::size_t r = 1; r <= catalogue.rows(); ++r) {
        lines.push_back(catalogue.cellAt(r, c).toText());
    }
    return Value::textRows(lines);
}

Value catalogueListLines(const Value& catalogue) {
    const Value separator = Value::textRows(std::vector<std::string>(catalogue.rows(), " "));
    std::vector<Value> parts;
    for (std::size_t c : {1, 4, 5, 6, 7, 8}) {
        if (!parts.empty()) parts.push_back(separator);
        parts.push_back(catalogueColumn(catalogue, c));
    }
    const Value block = horzcatText(parts);
    std::vector<Value> lines;
    for (const auto& line : block.charRows()) lines.push_back(Value::text(line));
    return Value::cellRow(std::move(lines));
}

}  // namespace velmora
