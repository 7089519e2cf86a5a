// An X server that goes away under an open editor must not take the host's
// process with it: Xlib's default reaction to a lost connection is exit().
// The test runs a throwaway Xvfb of its own and kills it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/x11/x11_host.h"
#include "tools/host/plugin_instance.h"
#include "tools/host/plugin_library.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet other headers.
#include <X11/Xlib.h>

extern char** environ;

namespace x11test {
namespace {

// Starts Xvfb on a free display; false when it cannot be started here.
bool startServer(pid_t& pid, std::string& name) {
    int numberPipe[2];
    if (pipe(numberPipe) != 0) return false;
    const std::string fd = std::to_string(numberPipe[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "800x600x24", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, numberPipe[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const bool spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(numberPipe[1]);

    // The number comes with a newline, perhaps in a write of its own; the
    // pipe stays open until both are in, or the server fails writing them.
    std::string number;
    pollfd ready{numberPipe[0], POLLIN, 0};
    char c = 0;
    while (spawned && number.size() < 8 && poll(&ready, 1, 10000) == 1 && read(numberPipe[0], &c, 1) == 1 && c != '\n')
        number += c;
    const bool answered = c == '\n' && !number.empty();
    close(numberPipe[0]);
    if (!answered) {
        if (spawned) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        return false;
    }
    name = ":" + number;
    return true;
}

TEST(LostServerTest, AnEditorWhoseServerDiesLeavesTheHostRunning) {
    pid_t server = 0;
    std::string name;
    if (!startServer(server, name)) GTEST_SKIP() << "cannot start Xvfb";
    const char* previousDisplay = std::getenv("DISPLAY");
    const std::string restore = previousDisplay != nullptr ? previousDisplay : "";

    // The host's own connection is never used again once the server is
    // gone: what it does then is the host's business, not the plug-in's.
    Display* host = openDisplayPatiently(name);
    if (host == nullptr) {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
        GTEST_SKIP() << "the Xvfb on " << name << " takes no connections";
    }
    setenv("DISPLAY", name.c_str(), 1);  // where the plug-in connects
    const Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 800, 300, 0, 0, 0);
    XMapWindow(host, parent);
    XSync(host, False);

    vardelline::host::PluginInstance instance(vardelline::host::PluginLibrary::open(VARDELLINE_PLUGIN),
                                              vardelline::host::HostSettings{});
    void* handle = reinterpret_cast<void*>(static_cast<uintptr_t>(parent));
    ASSERT_EQ(instance.dispatch(effEditOpen, 0, 0, handle), 1);
    instance.dispatch(effEditIdle);

    kill(server, SIGTERM);  // drops every client, as a crash does, but cleans up after itself
    waitpid(server, nullptr, 0);
    for (int i = 0; i < 5; ++i) {
        instance.setParameter(3, 0.1f * static_cast<float>(i));
        instance.dispatch(effEditIdle);
        usleep(5000);
    }
    instance.dispatch(effEditClose);
    // Opening again finds no server and stays without a screen.
    EXPECT_EQ(instance.dispatch(effEditOpen, 0, 0, handle), 1);
    instance.dispatch(effEditIdle);
    instance.dispatch(effEditClose);
    EXPECT_FLOAT_EQ(instance.getParameter(3), 0.4f);

    if (restore.empty()) {
        unsetenv("DISPLAY");
    } else {
        setenv("DISPLAY", restore.c_str(), 1);
    }
}

}  // namespace
}  // namespace x11test
