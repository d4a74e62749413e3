#include "app/callback_table.h"

#include <cctype>

#include "app/functions.h"

namespace velmora {

namespace {

using Inputs = std::vector<const Value*>;
using More = std::vector<Value>;

// Table rows for the window functions: one action number, no outputs.
CallableRow windowRow(const char* name, void (*fn)(const Value&)) {
    return {name, 1, 0, [fn](int, const Inputs& in, const More&) {
                // Callers always give the action number; absent means "no case".
                fn(in[0] ? *in[0] : Value());
                return Value();
            }};
}

CallableRow readingRow(const char* name, void (*fn)()) {
    return {name, 0, 0, [fn](int, const Inputs&, const More&) {
                fn();
                return Value();
            }};
}

CallableRow labelRow(const char* name, Value (*fn)(int, const Value*, const More&)) {
    return {name, -2, 1, [fn](int nargout, const Inputs& in, const More& more) {
                return fn(nargout, in[0], more);
            }};
}

}  // namespace

std::string countErrorMessage(const std::string& function, bool outputs, int declared) {
    return "Run-time Error: File: " + function + " Line: 1 Column: 0 The function \"" + function +
           "\" was called with more than the declared number of " +
           (outputs ? "outputs" : "inputs") + " (" + std::to_string(declared) + ")";
}

CallbackTable& CallbackTable::instance() {
    static CallbackTable table;
    return table;
}

void CallbackTable::registerRows() {
    rows_ = {
        labelRow("ylabel", ylabel),
        labelRow("xlabel", xlabel),
        labelRow("title", title),
        {"grid", 1, 0,
         [](int, const Inputs& in, const More&) {
             grid(in[0]);
             return Value();
         }},
        {"waitbar", 2, 1,
         [](int nargout, const Inputs& in, const More&) { return waitbar(nargout, in[0], in[1]); }},
        windowRow("velmora_gui08", velmora_gui08),
        windowRow("velmora_gui07", velmora_gui07),
        {"velmora_gui06wait", 0, 1,
         [](int nargout, const Inputs&, const More&) { return velmora_gui06wait(nargout); }},
        readingRow("velmora_gui05set", velmora_gui05set),
        windowRow("velmora_gui06", velmora_gui06),
        readingRow("velmora_gui04set", velmora_gui04set),
        windowRow("velmora_gui_error", velmora_gui_error),
        windowRow("velmora_gui05", velmora_gui05),
        readingRow("velmora_gui03set", velmora_gui03set),
        windowRow("velmora_gui04", velmora_gui04),
        readingRow("velmora_gui02set", velmora_gui02set),
        windowRow("velmora_gui03", velmora_gui03),
        windowRow("velmora_gui02", velmora_gui02),
        windowRow("velmora_gui01", velmora_gui01),
        readingRow("velmora_gui", velmora_gui),
    };
}

void CallbackTable::unregisterRows() {
    rows_.clear();
}

const CallableRow* CallbackTable::find(const std::string& name) const {
    for (const auto& r : rows_) {
        if (r.name == name) return &r;
    }
    return nullptr;
}

std::vector<Value> CallbackTable::call(const std::string& name, int nargout,
                                       const std::vector<Value>& inputs) {
    const CallableRow* row = find(name);
    if (!row) throw Error("Undefined function \"" + name + "\".");
    if (nargout > row->declaredOutputs) {
        throw Error(countErrorMessage(row->name, true, row->declaredOutputs));
    }
    const int given = static_cast<int>(inputs.size());
    if (row->declaredInputs != -2 && given > row->declaredInputs) {
        throw Error(countErrorMessage(row->name, false, row->declaredInputs));
    }
    Inputs named;
    More more;
    if (row->declaredInputs == -2) {
        named.push_back(given > 0 ? &inputs[0] : nullptr);
        if (given > 1) more.assign(inputs.begin() + 1, inputs.end());
    } else {
        for (int i = 0; i < row->declaredInputs; ++i) {
            named.push_back(i < given ? &inputs[static_cast<std::size_t>(i)] : nullptr);
        }
    }
    Value result = row->body(nargout, named, more);
    if (row->declaredOutputs == 1 && nargout >= 1) return {result};
    return {};
}

std::optional<ParsedCallback> parseCallback(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (n == 0 || !(std::isalpha(static_cast<unsigned char>(text[0])))) return std::nullopt;
    while (i < n && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
    ParsedCallback out;
    out.name = text.substr(0, i);
    if (i >= n || text[i] != '(') return std::nullopt;
    ++i;
    const std::size_t numberStart = i;
    if (i < n && text[i] == '-') ++i;
    const std::size_t digitsStart = i;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t digits = i - digitsStart;
    // Action numbers are small; a long digit run is not a callback.
    if (digits == 0 || digits > 9) return std::nullopt;
    if (i + 1 != n || text[i] != ')') return std::nullopt;
    out.action = std::stod(text.substr(numberStart, i - numberStart));
    return out;
}

void CallbackTable::evaluate(const std::string& callback) {
    const auto parsed = parseCallback(callback);
    if (!parsed) {
        throw Error("Invalid callback \"" + callback + "\": expected a function name and " +
                    "one whole number in parentheses, such as velmora_gui01(1).");
    }
    if (!find(parsed->name)) {
        throw Error("Invalid callback \"" + callback + "\": there is no function named \"" +
                    parsed->name + "\".");
    }
    call(parsed->name, 0, {Value::scalar(parsed->action)});
}

}  // namespace velmora
