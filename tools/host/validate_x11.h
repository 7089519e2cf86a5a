// A top-level X11 window for the editor to open inside, as a Linux host
// gives one. libX11 is loaded at run time, so the host needs no X11 to build
// or to run; without a display (or on other systems) there is no window.
#pragma once

#include <memory>
#include <string>

namespace vardelline::host::validate {

class ParentWindow {
public:
    // Null, with the reason in whyNot, when no window can be had here.
    static std::unique_ptr<ParentWindow> open(std::string& whyNot);
    ~ParentWindow();
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;

    // What effEditOpen takes: the X11 window id as a pointer.
    void* handle() const;
    // Handles the window's pending events (hosts do this on their GUI thread).
    void pump();

private:
    struct Impl;
    explicit ParentWindow(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace vardelline::host::validate
