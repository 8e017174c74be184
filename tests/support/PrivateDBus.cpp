#include "tests/support/PrivateDBus.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace brevanor::testing {

namespace {

// As a session bus: this user may connect, own any name and call anything.
constexpr const char* kConfiguration =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=@SOCKET@</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

}  // namespace

std::unique_ptr<PrivateDBus> PrivateDBus::start() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-dbus-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return nullptr;
    const std::filesystem::path folder = pattern;
    std::string configuration = kConfiguration;
    configuration.replace(configuration.find("@SOCKET@"), 8, (folder / "bus").string());
    std::ofstream(folder / "bus.conf") << configuration;

    // The daemon prints its address once it listens: reading it is waiting for it.
    int ready[2];
    if (pipe(ready) != 0) return nullptr;
    const std::string configArg = "--config-file=" + (folder / "bus.conf").string();
    const pid_t pid = fork();
    if (pid == 0) {
        // It ends with the test, also when the test is killed (this thread lives as long as the process).
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        dup2(ready[1], STDOUT_FILENO);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        execlp("dbus-daemon", "dbus-daemon", configArg.c_str(), "--nofork", "--nopidfile", "--print-address=1",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    const bool spawned = pid > 0;
    close(ready[1]);
    std::string address;
    char c = 0;
    while (spawned && read(ready[0], &c, 1) == 1 && c != '\n') address += c;
    close(ready[0]);
    if (!spawned || address.empty()) {
        if (spawned) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        return nullptr;
    }
    return std::unique_ptr<PrivateDBus>(new PrivateDBus(pid, folder, address));
}

PrivateDBus::~PrivateDBus() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace brevanor::testing
