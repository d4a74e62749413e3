#include "app/program.h"

#include <iostream>
#include <vector>

#include "app/callback_table.h"
#include "app/global_state.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

void report(const std::string& message) {
    if (auto* view = GraphicsHost::instance().view()) {
        view->showError(message);
    } else {
        std::cerr << message << std::endl;
    }
}

void requestQuit() {
    auto& host = GraphicsHost::instance();
    host.setQuitting(true);
    if (auto* view = host.view()) view->quitRequested();
}

}  // namespace

void runCallback(const std::string& callback) {
    try {
        CallbackTable::instance().evaluate(callback);
    } catch (const Error& e) {
        report(e.what());
    } catch (const QuitRequest&) {
        requestQuit();
    } catch (const std::exception& e) {
        report(std::string("Internal error: ") + e.what());
    }
}

int runProgram(int argc, char** argv) {
    auto& globals = GlobalState::instance();
    auto& table = CallbackTable::instance();
    globals.create();
    table.registerRows();
    hg().setCallbackRunner(runCallback);
    mlfHGInitialize(argc, argv);

    int status = 0;
    {
        std::vector<Value> words;
        for (int i = 1; i < argc; ++i) words.push_back(Value::text(argv[i]));
        try {
            table.call("velmora_gui", 0, words);
        } catch (const Error& e) {
            // A failed start is a failure: nothing was shown, say so in the status.
            std::cerr << e.what() << std::endl;
            status = 2;
        } catch (const QuitRequest&) {
            requestQuit();
        }
    }
    if (status == 0) mlfHGWaitForFiguresToDie();

    mlfHGTerminate();
    table.unregisterRows();
    globals.destroy();
    return status;
}

}  // namespace velmora
