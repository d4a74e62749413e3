#include "app/global_state.h"

namespace velmora {

GlobalState& GlobalState::instance() {
    static GlobalState state;
    return state;
}

const std::array<const char*, kGlobalCount>& GlobalState::names() {
    static const std::array<const char*, kGlobalCount> n = {
        "DAMP",      "EQ",        "EQ_1",     "EQ_3",      "EQ_SC",   "EQ_charl", "EQ_data",
        "EQ_l",      "EQ_string", "PSV",      "RECORD",    "SCALE1",  "SCALE2",   "SA",
        "SD",        "SV",        "PERIOD",   "ACC",       "damp",    "dampstr",  "err",
        "fig1_acc",  "fig1_sd",   "fig1_psv", "fig1_sv",   "fig1_sa", "fig2_acc", "fig2_sd",
        "fig2_psv",  "fig2_sv",   "fig2_sa",  "hdamp",     "hlist",   "hscale",   "legend1",
        "legend2",   "mat0",      "numdamp",  "numquakes", "option",  "title1",   "title2",
        "damplabel", "TIME"};
    return n;
}

void GlobalState::create() {
    values_.clear();
    for (std::size_t i = 0; i < kGlobalCount; ++i) values_.push_back(std::make_unique<Value>());
}

void GlobalState::destroy() {
    while (!values_.empty()) {
        values_.pop_back();
        if (destroyHook_) destroyHook_(names()[values_.size()]);
    }
}

Value& GlobalState::operator[](G id) {
    const auto i = static_cast<std::size_t>(id);
    if (i >= values_.size()) throw Error("The global variables do not exist yet.");
    return *values_[i];
}

bool GlobalState::has(const std::string& name) const {
    for (const char* n : names()) {
        if (name == n) return true;
    }
    return false;
}

Value& GlobalState::byName(const std::string& name) {
    for (std::size_t i = 0; i < kGlobalCount; ++i) {
        if (name == names()[i]) return (*this)[static_cast<G>(i)];
    }
    throw Error("There is no global variable named \"" + name + "\".");
}

}  // namespace velmora
