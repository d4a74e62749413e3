// The program-wide variables: created in a fixed order at start-up and
// destroyed in reverse at shut-down.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/value.h"

namespace velmora {

enum class G {
    DAMP,
    EQ,
    EQ_1,
    EQ_3,
    EQ_SC,
    EQ_charl,
    EQ_data,
    EQ_l,
    EQ_string,
    PSV,
    RECORD,
    SCALE1,
    SCALE2,
    SA,
    SD,
    SV,
    PERIOD,
    ACC,
    damp,
    dampstr,
    err,
    fig1_acc,
    fig1_sd,
    fig1_psv,
    fig1_sv,
    fig1_sa,
    fig2_acc,
    fig2_sd,
    fig2_psv,
    fig2_sv,
    fig2_sa,
    hdamp,
    hlist,
    hscale,
    legend1,
    legend2,
    mat0,
    numdamp,
    numquakes,
    option,
    title1,
    title2,
    damplabel,
    TIME
};

constexpr std::size_t kGlobalCount = 44;

class GlobalState {
  public:
    static GlobalState& instance();

    void create();   // every variable as the empty value, in table order
    void destroy();  // in reverse order
    bool created() const { return !values_.empty(); }

    Value& operator[](G id);
    Value& byName(const std::string& name);  // throws Error for an unknown name
    bool has(const std::string& name) const;
    static const std::array<const char*, kGlobalCount>& names();

    // Observes destruction (name by name), for checking the order.
    void setDestroyHook(std::function<void(const std::string&)> hook) {
        destroyHook_ = std::move(hook);
    }

  private:
    std::vector<std::unique_ptr<Value>> values_;
    std::function<void(const std::string&)> destroyHook_;
};

inline Value& gv(G id) {
    return GlobalState::instance()[id];
}

}  // namespace velmora
