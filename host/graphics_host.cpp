#include "host/graphics_host.h"

#include <iostream>

namespace velmora {

GraphicsHost::GraphicsHost() : model_(std::make_unique<GraphicsModel>()) {}

GraphicsHost& GraphicsHost::instance() {
    static GraphicsHost host;
    return host;
}

void GraphicsHost::setView(std::unique_ptr<HostView> view) {
    view_ = std::move(view);
    model_->setObserver(view_.get());
}

void GraphicsHost::reset() {
    model_->setObserver(nullptr);
    view_.reset();
    model_ = std::make_unique<GraphicsModel>();
    quitting_ = false;
}

void mlfHGInitialize(int& argc, char** argv) {
    if (auto* v = GraphicsHost::instance().view()) v->initialize(argc, argv);
}

void mlfHGWaitForFiguresToDie() {
    auto& host = GraphicsHost::instance();
    if (host.quitting()) return;
    if (auto* v = host.view()) v->run();
}

void mlfHGTerminate() {
    if (auto* v = GraphicsHost::instance().view()) v->terminate();
}

Handle mlfNFigure(const PropertyList& props) {
    return hg().createFigure(props);
}

Handle mlfNFigure(double number) {
    return hg().figure(number);
}

Handle mlfNUicontrol(Handle parent, const PropertyList& props) {
    return hg().create(ObjectType::Uicontrol, parent, props);
}

Handle mlfNAxes(const PropertyList& props) {
    return hg().create(ObjectType::Axes, 0, props);
}

Handle mlfNText(const PropertyList& props) {
    return hg().create(ObjectType::Text, 0, props);
}

Handle mlfNLine(const PropertyList& props) {
    return hg().create(ObjectType::Line, 0, props);
}

Handle mlfNLine(const Value& x, const Value& y, const PropertyList& props) {
    PropertyList all = {{"XData", x}, {"YData", y}};
    all.insert(all.end(), props.begin(), props.end());
    return mlfNLine(all);
}

Handle mlfNPatch(const PropertyList& props) {
    return hg().create(ObjectType::Patch, 0, props);
}

Handle mlfNPatch(const Value& x, const Value& y, const Value& color, const PropertyList& props) {
    PropertyList all = {{"XData", x}, {"YData", y}, {"FaceColor", color}};
    all.insert(all.end(), props.begin(), props.end());
    return mlfNPatch(all);
}

std::vector<Handle> mlfNPlot(const Value& x, const Value& y) {
    return hg().plot(x, y, false);
}

std::vector<Handle> mlfNLoglog(const Value& x, const Value& y) {
    return hg().plot(x, y, true);
}

Handle mlfNLegend(const Value& labelRows, int location) {
    return hg().legend(labelRows, location);
}

void mlfNSet(Handle h, const PropertyList& props) {
    hg().set(h, props);
}

Value mlfGet(Handle h, const std::string& name) {
    return hg().get(h, name);
}

std::vector<Handle> mlfFindobj(const std::vector<Handle>& handles, bool flat,
                               const PropertyList& match) {
    return hg().findobj(handles, flat, match);
}

std::vector<Handle> mlfAllchild(Handle h) {
    return hg().allchild(h);
}

Handle mlfGcf() {
    return hg().gcf();
}

Handle mlfGca() {
    return hg().gca();
}

void mlfDrawnow() {
    hg().drawnow();
}

bool mlfIshandle(double h) {
    return hg().isHandle(h);
}

void mlfNClose() {
    hg().closeCurrent();
}

void mlfNClose(Handle fig) {
    hg().close(fig);
}

void mlfColormap(const Value& map) {
    hg().set(hg().gcf(), {{"Colormap", map}});
}

void mlfQuit() {
    throw QuitRequest{};
}

void mlfError(const std::string& message) {
    throw Error(message);
}

void mlfDisp(const std::string& line) {
    std::cout << line << std::endl;
}

Value handlesValue(const std::vector<Handle>& handles) {
    if (handles.empty()) return Value();
    return Value::column(std::vector<double>(handles.begin(), handles.end()));
}

}  // namespace velmora
