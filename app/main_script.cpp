// velmora-script: the program on the headless host, driven by a script read
// from standard input or from the file named as the one argument.
#include <fstream>
#include <iostream>
#include <memory>

#include "app/program.h"
#include "app/script_view.h"
#include "host/graphics_host.h"

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: velmora-script [SCRIPT]" << std::endl;
        return 2;
    }
    std::ifstream file;
    if (argc == 2) {
        file.open(argv[1]);
        if (!file) {
            std::cerr << "velmora-script: cannot open \"" << argv[1] << "\"" << std::endl;
            return 2;
        }
    }
    std::istream& in = argc == 2 ? static_cast<std::istream&>(file) : std::cin;
    velmora::GraphicsHost::instance().setView(std::make_unique<velmora::ScriptView>(in, std::cout));
    int programArgc = 1;
    return velmora::runProgram(programArgc, argv);
}
