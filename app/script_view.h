// A headless view that drives the program from a script, one command a line,
// as a user would through the windows.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "host/graphics_host.h"

namespace velmora {

class ScriptView : public HostView {
  public:
    ScriptView(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

    void initialize(int&, char**) override {}
    void run() override;
    void showError(const std::string& message) override;
    void quitRequested() override { stop_ = true; }

    // Runs one command line; throws Error for a bad command.
    void execute(const std::string& line);

  private:
    bool finished() const;
    Handle requireCurrentFigure() const;
    std::istream& in_;
    std::ostream& out_;
    bool stop_ = false;
};

}  // namespace velmora
