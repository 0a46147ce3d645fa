// SIGINT and SIGTERM (POSIX signals). The first asks for an orderly end (the window closes as
// Escape closes it) and gives the program a second to reach its end of run;
// a program blocked somewhere does not, and the alarm then ends it as the
// signal would have. A second signal ends it at once. Installed without
// SA_RESTART, so a system call the signal interrupts returns.
#include "base/signals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_stopSignal{0};

void OnStopSignal(int signal) {
    if (!g_interrupted.exchange(true)) {
        g_stopSignal = signal;
        alarm(1);
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void OnStopTimeout(int) {
    const char message[] = "pqn: still running a second after the signal; stopping now\n";
    ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    (void)ignored;
    int signal = g_stopSignal;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

namespace platform::base {

void InstallStopSignals() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = OnStopTimeout;
    sigaction(SIGALRM, &action, nullptr);
}

bool Interrupted() { return g_interrupted; }

// Finishing a capture may take longer than the second a signal gives.
void CancelStopTimeout() { alarm(0); }

}  // namespace platform::base
