// Ctrl+C, Ctrl+Break and closing the console, as SIGINT and SIGTERM are on
// POSIX: the first asks for an orderly end (the window closes as Escape
// closes it) and gives the program a second to reach its end of run, after
// which it is ended; a second one ends it at once.
#include "base/signals.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_ending{false};
HANDLE g_stopTimer = nullptr;

// The exit status a console program ended by Ctrl+C has.
constexpr UINT kInterruptedStatus = 0xC000013A;

void CALLBACK OnStopTimeout(void*, BOOLEAN) {
    if (g_ending) return;
    std::fputs("pqn: still running a second after Ctrl+C; stopping now\n", stderr);
    ExitProcess(kInterruptedStatus);
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (g_interrupted.exchange(true)) ExitProcess(kInterruptedStatus);
    CreateTimerQueueTimer(&g_stopTimer, nullptr, OnStopTimeout, nullptr, 1000, 0, WT_EXECUTEONLYONCE);
    return TRUE;
}

}  // namespace

namespace platform::base {

void InstallStopSignals() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool Interrupted() { return g_interrupted; }

// Finishing a capture may take longer than the second a signal gives.
void CancelStopTimeout() { g_ending = true; }

}  // namespace platform::base
