#include "support/script_runner.h"

#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace velmora::testing {

std::vector<std::string> ProcessResult::outLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

const nlohmann::json& ScriptResult::lastDump() const {
    if (dumps.empty()) throw std::runtime_error("the script printed no dump; stdout: " + out);
    return dumps.back();
}

namespace {
// Reads `fd` to its end into `sink`, then closes it.
void readAll(int fd, std::string& sink) {
    char buf[65536];
    for (ssize_t got; (got = read(fd, buf, sizeof buf)) > 0;) {
        sink.append(buf, static_cast<std::size_t>(got));
    }
    close(fd);
}
}  // namespace

std::string builtProgram(const std::string& name) {
    return std::string(VELMORA_BUILD_DIR) + "/" + name;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, const std::vector<std::string>& extraEnv) {
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) || pipe(outPipe) || pipe(errPipe)) throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        for (const auto& e : extraEnv) putenv(strdup(e.c_str()));
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    // Input is written and stderr read on threads of their own, so that no
    // full pipe can stall the child.
    std::thread writer([&] {
        // A child that ends before reading all its input costs the rest of
        // the input, not this process (SIGPIPE).
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        for (std::size_t done = 0; done < input.size();) {
            const ssize_t w = write(inPipe[1], input.data() + done, input.size() - done);
            if (w <= 0) break;
            done += static_cast<std::size_t>(w);
        }
        close(inPipe[1]);
    });
    ProcessResult r;
    std::thread errReader([&] { readAll(errPipe[0], r.err); });
    readAll(outPipe[0], r.out);
    writer.join();
    errReader.join();
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

ScriptResult runScript(const std::string& script, const std::vector<std::string>& extraEnv) {
    ScriptResult r;
    static_cast<ProcessResult&>(r) =
        runProcess(builtProgram("velmora-script"), {}, script, extraEnv);
    for (const auto& line : r.outLines()) {
        if (line.rfind("{\"globals\"", 0) == 0) {
            r.dumps.push_back(nlohmann::json::parse(line));
        } else if (line.rfind("error: ", 0) == 0) {
            r.errors.push_back(line.substr(7));
        }
    }
    return r;
}

const nlohmann::json& global(const nlohmann::json& dump, const std::string& name) {
    return dump.at("globals").at(name);
}

namespace {
double toNumber(const nlohmann::json& x) {
    if (x.is_string()) {
        const auto s = x.get<std::string>();
        if (s == "NaN") return std::numeric_limits<double>::quiet_NaN();
        if (s == "Inf") return std::numeric_limits<double>::infinity();
        if (s == "-Inf") return -std::numeric_limits<double>::infinity();
        throw std::runtime_error("not a number: " + s);
    }
    return x.get<double>();
}
}  // namespace

std::vector<std::vector<double>> numbers(const nlohmann::json& value) {
    if (value.at("class") != "double")
        throw std::runtime_error("not a double value: " + value.dump());
    std::vector<std::vector<double>> rows;
    for (const auto& row : value.at("rows")) {
        std::vector<double> r;
        for (const auto& x : row) r.push_back(toNumber(x));
        rows.push_back(r);
    }
    return rows;
}

double scalar(const nlohmann::json& value) {
    const auto rows = numbers(value);
    if (rows.size() != 1 || rows[0].size() != 1)
        throw std::runtime_error("not a scalar: " + value.dump());
    return rows[0][0];
}

std::vector<std::string> textRows(const nlohmann::json& value) {
    std::vector<std::string> rows;
    if (value.at("class") == "char") {
        for (const auto& r : value.at("rows")) rows.push_back(r.get<std::string>());
    } else if (value.at("class") == "cell") {
        for (const auto& r : value.at("rows")) {
            for (const auto& item : r) {
                for (const auto& s : textRows(item)) rows.push_back(s);
            }
        }
    } else if (!value.at("rows").empty()) {
        throw std::runtime_error("not a text value: " + value.dump());
    }
    return rows;
}

std::vector<nlohmann::json> figuresNamed(const nlohmann::json& dump, const std::string& name) {
    std::vector<nlohmann::json> out;
    for (const auto& f : dump.at("figures")) {
        if (propText(f, "Name") == name) out.push_back(f);
    }
    return out;
}

std::vector<nlohmann::json> childrenOfType(const nlohmann::json& object, const std::string& type) {
    std::vector<nlohmann::json> out;
    for (const auto& c : object.at("children")) {
        if (c.at("type") == type) out.push_back(c);
    }
    return out;
}

std::vector<nlohmann::json> controlsOfStyle(const nlohmann::json& figure,
                                            const std::string& style) {
    std::vector<nlohmann::json> out;
    for (const auto& c : childrenOfType(figure, "uicontrol")) {
        const std::string s = propText(c, "Style");
        if ((s.empty() ? "pushbutton" : s) == style) out.push_back(c);
    }
    return out;
}

const nlohmann::json& prop(const nlohmann::json& object, const std::string& name) {
    static const nlohmann::json null;
    const auto& p = object.at("props");
    return p.contains(name) ? p.at(name) : null;
}

std::string propText(const nlohmann::json& object, const std::string& name) {
    const auto& v = prop(object, name);
    if (v.is_null()) return "";
    const auto rows = textRows(v);
    return rows.empty() ? "" : rows[0];
}

std::vector<double> propNumbers(const nlohmann::json& object, const std::string& name) {
    const auto& v = prop(object, name);
    std::vector<double> out;
    if (v.is_null()) return out;
    for (const auto& r : numbers(v)) out.insert(out.end(), r.begin(), r.end());
    return out;
}

}  // namespace velmora::testing
