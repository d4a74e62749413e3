// The callable table: the 20 functions that callback strings can name, with
// their declared input and output counts, and the dispatcher that evaluates
// callback strings through it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/value.h"

namespace velmora {

struct CallableRow {
    std::string name;
    int declaredInputs;  // -2: one named input, then any number of further inputs
    int declaredOutputs;
    // The body, given the requested output count, the named inputs (null where
    // absent) and, for -2 rows, the further inputs.
    std::function<Value(int nargout, const std::vector<const Value*>& inputs,
                        const std::vector<Value>& more)>
        body;
};

class CallbackTable {
  public:
    static CallbackTable& instance();

    void registerRows();
    void unregisterRows();
    bool registered() const { return !rows_.empty(); }
    const std::vector<CallableRow>& rows() const { return rows_; }
    const CallableRow* find(const std::string& name) const;

    // The table entry: count checks, then the body. Returns the outputs
    // (at most one). Throws Error with the run-time message on a count fault.
    std::vector<Value> call(const std::string& name, int nargout, const std::vector<Value>& inputs);

    // Evaluates a callback string "name(integer)" with no outputs requested.
    // A malformed string or an unknown name throws Error and runs nothing.
    void evaluate(const std::string& callback);

  private:
    std::vector<CallableRow> rows_;
};

struct ParsedCallback {
    std::string name;
    double action;
};
// Parses "name(integer)"; nothing else is accepted.
std::optional<ParsedCallback> parseCallback(const std::string& text);

// The run-time error message of a count check.
std::string countErrorMessage(const std::string& function, bool outputs, int declared);

}  // namespace velmora
