// Operating-system access: one key at a time, screen clear, putting the terminal back the
// way it was found whatever way the process leaves, and large pages for the hash tables.
#include "platform/platform.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

termios saved_termios;             // the settings found before the last switch to raw mode
termios raw_termios;               // the raw settings while a key is awaited
volatile sig_atomic_t raw_on = 0;  // 1 while the terminal is in raw mode
bool guards_installed        = false;

// Restores the terminal, then lets the signal do what it would have done without us.
void on_fatal_signal(int sig) {
    restore_terminal();
    signal(sig, SIG_DFL);
    raise(sig);
}

// Ctrl-Z while a key is awaited: hand the shell its terminal back, stop, and on being
// continued go raw again, since the read is still waiting for its key.
void on_stop_signal(int sig) {
    const bool was_raw = raw_on;
    restore_terminal();
    signal(sig, SIG_DFL);
    // The signal is blocked inside its own handler; unblocked, raise() stops us right here.
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, sig);
    sigprocmask(SIG_UNBLOCK, &mask, nullptr);
    raise(sig);
    // Execution resumes here after SIGCONT.
    signal(sig, on_stop_signal);
    if (was_raw && tcsetattr(STDIN_FILENO, TCSANOW, &raw_termios) == 0)
        raw_on = 1;
}

void install_guards() {
    if (guards_installed)
        return;
    guards_installed = true;
    std::atexit(restore_terminal);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
    {
        struct sigaction action = {};
        action.sa_handler       = on_fatal_signal;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, nullptr);
    }
    signal(SIGTSTP, on_stop_signal);
}

// No echo, no line editing: read() returns as soon as one byte is typed. Signals stay on,
// so Ctrl-C still interrupts (and the handler puts the terminal back).
bool enter_raw_mode() {
    if (tcgetattr(STDIN_FILENO, &saved_termios) != 0)
        return false;
    install_guards();
    raw_termios = saved_termios;
    raw_termios.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw_termios.c_cc[VMIN]  = 1;
    raw_termios.c_cc[VTIME] = 0;
    // TCSANOW keeps keys typed ahead (for example while the engine was thinking).
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw_termios) != 0)
        return false;
    raw_on = 1;
    return true;
}

}  // namespace

int read_key() {
    std::fflush(stdout);
    const bool tty = isatty(STDIN_FILENO) && enter_raw_mode();
    // Through cin's buffer, not read(0): the command loop may have buffered bytes already.
    const int key = std::cin.rdbuf()->sbumpc();
    if (tty)
        restore_terminal();
    return key == std::char_traits<char>::eof() ? -1 : key;
}

void clear_screen() { std::printf("\x1b[H\x1b[2J"); }

void restore_terminal() {
    // Only async-signal-safe calls here: it also runs inside the signal handler.
    if (raw_on)
    {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_termios);
        raw_on = 0;
    }
}

void advise_large_pages(void* table, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t LARGE_PAGE = uintptr_t{1} << 21;  // 2 MB
    const uintptr_t first          = reinterpret_cast<uintptr_t>(table);
    const uintptr_t start          = (first + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1);
    const uintptr_t end            = (first + bytes) & ~(LARGE_PAGE - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    static_cast<void>(table);
    static_cast<void>(bytes);
#endif
}
