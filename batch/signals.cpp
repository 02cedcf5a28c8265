#include "batch/signals.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <unistd.h>

namespace batch::signals {

namespace {

// The state a signal handler may touch: set once, before any command runs.
int wake[2] = {-1, -1};
volatile sig_atomic_t endRequested = 0;

void Note(int signal) {
    const int saved = errno;
    if (signal != SIGCHLD)
        endRequested = signal;
    [[maybe_unused]] const auto written = ::write(wake[1], "!", 1);
    errno = saved;
}

} // namespace

void Install() {
    ::pipe2(wake, O_CLOEXEC | O_NONBLOCK);
    struct sigaction note {};
    note.sa_handler = Note;
    sigemptyset(&note.sa_mask);
    note.sa_flags = SA_RESTART;
    for (const int s : {SIGTERM, SIGHUP, SIGCHLD})
        ::sigaction(s, &note, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

int WakeDescriptor() { return wake[0]; }

void Drain() {
    char buffer[64];
    while (::read(wake[0], buffer, sizeof buffer) > 0) {
    }
}

int EndRequested() { return endRequested; }

} // namespace batch::signals
