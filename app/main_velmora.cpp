// velmora: the program in real windows.
#include "app/program.h"
#include "host/graphics_host.h"
#include "view/qt_view.h"

int main(int argc, char** argv) {
    velmora::GraphicsHost::instance().setView(velmora::makeQtView());
    return velmora::runProgram(argc, argv);
}
