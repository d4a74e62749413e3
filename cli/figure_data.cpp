#include "cli/figure_data.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace velmora::spectra {

namespace {

// Written and read on the same machine, so in its own byte order.
constexpr std::string_view kMagic = "velmora-spectra figure 1\n";

void putCount(std::string& out, std::size_t n) {
    const auto v = static_cast<std::uint64_t>(n);
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void putText(std::string& out, const std::string& text) {
    putCount(out, text.size());
    out += text;
}

void putNumbers(std::string& out, const std::vector<double>& values) {
    putCount(out, values.size());
    out.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(double));
}

class Reader {
  public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    std::string_view take(std::size_t n) {
        if (n > rest_.size()) throw std::runtime_error("the figure's data are cut short");
        const std::string_view part = rest_.substr(0, n);
        rest_.remove_prefix(n);
        return part;
    }
    std::size_t count() {
        std::uint64_t v = 0;
        std::memcpy(&v, take(sizeof v).data(), sizeof v);
        if (v > rest_.size()) throw std::runtime_error("the figure's data are cut short");
        return static_cast<std::size_t>(v);
    }
    std::string text() { return std::string(take(count())); }
    double number() {
        double x = 0.0;
        std::memcpy(&x, take(sizeof x).data(), sizeof x);
        return x;
    }
    std::vector<double> numbers() {
        const std::size_t n = count();
        std::vector<double> values(n);
        const std::string_view raw = take(n * sizeof(double));
        if (n > 0) std::memcpy(values.data(), raw.data(), raw.size());
        return values;
    }
    bool atEnd() const { return rest_.empty(); }

  private:
    std::string_view rest_;
};

}  // namespace

std::string encodeFigure(const RunSettings& settings,
                         const std::vector<const RecordSpectra*>& records) {
    std::string out(kMagic);
    putText(out, settings.units.lengthName);
    putText(out, settings.units.velocityName);
    putText(out, settings.units.accelName);
    putNumbers(out, settings.periods);
    putCount(out, records.size());
    for (const RecordSpectra* r : records) {
        putText(out, r->name);
        putCount(out, r->spectra.size());
        for (const DampedSpectrum& d : r->spectra) {
            out.append(reinterpret_cast<const char*>(&d.zeta), sizeof d.zeta);
            for (const std::vector<double>* v : {&d.sd, &d.sv, &d.psv, &d.sa}) putNumbers(out, *v);
        }
    }
    return out;
}

FigureContent decodeFigure(std::string_view bytes) {
    Reader in(bytes);
    if (in.take(std::min(bytes.size(), kMagic.size())) != kMagic) {
        throw std::runtime_error("the figure's data are not from this version of velmora-spectra");
    }
    FigureContent f;
    f.settings.units.lengthName = in.text();
    f.settings.units.velocityName = in.text();
    f.settings.units.accelName = in.text();
    f.settings.periods = in.numbers();
    const std::size_t periods = f.settings.periods.size();
    const std::size_t records = in.count();
    for (std::size_t i = 0; i < records; ++i) {
        RecordSpectra& r = f.records.emplace_back();
        r.name = in.text();
        const std::size_t spectra = in.count();
        for (std::size_t k = 0; k < spectra; ++k) {
            DampedSpectrum& d = r.spectra.emplace_back();
            d.zeta = in.number();
            for (std::vector<double>* v : {&d.sd, &d.sv, &d.psv, &d.sa}) {
                *v = in.numbers();
                if (v->size() != periods) {
                    throw std::runtime_error("the figure's data have spectra of another length");
                }
            }
        }
    }
    if (!in.atEnd()) throw std::runtime_error("the figure's data go on past their end");
    return f;
}

}  // namespace velmora::spectra
