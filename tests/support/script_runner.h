// Runs velmora-script (or another of the built programs) as a child process
// and collects what it printed, for end-to-end tests.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace velmora::testing {

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
    std::vector<std::string> outLines() const;
};

struct ScriptResult : ProcessResult {
    std::vector<nlohmann::json> dumps;  // every `dump` line, in order
    std::vector<std::string> errors;    // every "error: ..." line, without the prefix
    const nlohmann::json& lastDump() const;
};

// Path of a built executable (build dir from the compile definition).
std::string builtProgram(const std::string& name);

// Runs `program` with `args`, feeding `input` on standard input.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "",
                         const std::vector<std::string>& extraEnv = {});

ScriptResult runScript(const std::string& script, const std::vector<std::string>& extraEnv = {});

// Convenience accessors on a dump.
const nlohmann::json& global(const nlohmann::json& dump, const std::string& name);
// The numbers of a double value, row by row.
std::vector<std::vector<double>> numbers(const nlohmann::json& value);
double scalar(const nlohmann::json& value);
std::vector<std::string> textRows(const nlohmann::json& value);
// Figures whose "Name" is `name`.
std::vector<nlohmann::json> figuresNamed(const nlohmann::json& dump, const std::string& name);
// Children of an object whose props match Style (uicontrols) or type.
std::vector<nlohmann::json> childrenOfType(const nlohmann::json& object, const std::string& type);
std::vector<nlohmann::json> controlsOfStyle(const nlohmann::json& figure, const std::string& style);
// A property's value (json of the value encoding) or null when unset.
const nlohmann::json& prop(const nlohmann::json& object, const std::string& name);
std::string propText(const nlohmann::json& object, const std::string& name);
std::vector<double> propNumbers(const nlohmann::json& object, const std::string& name);

}  // namespace velmora::testing
