// Operating-system access: one key at a time, screen clear, putting the terminal back the
// way it was found whatever way the process leaves, large pages for the hash tables, and the
// bench's process clock and output switch. Windows first, then the POSIX systems.
#include "platform/platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#if defined(_WIN32)
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#endif
#endif

#if defined(_WIN32)

#if defined(_UCRT)
// Declared by the Microsoft headers but not by every MinGW-w64 release.
extern "C" int __cdecl _get_stream_buffer_pointers(FILE* stream, char*** base, char*** next,
                                                   int** count);
#endif

namespace {

DWORD saved_input_mode       = 0;  // the console input mode found before the last key was awaited
DWORD saved_output_mode      = 0;  // the console output mode found before colours were turned on
volatile LONG input_changed  = 0;  // 1 while a key is awaited with the input mode switched
volatile LONG output_changed = 0;  // 1 once escape sequences were turned on by us
bool guards_installed        = false;

// Puts both console modes back. It also runs on the console's control thread.
void restore_console() {
    restore_terminal();
    if (InterlockedExchange(&output_changed, 0) != 0)
        SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), saved_output_mode);
}

// Ctrl-C, Ctrl-Break, closing the window, logoff, shutdown: put the console back and let the
// system's default handler end the process as it would have without us.
BOOL WINAPI on_console_event(DWORD) {
    restore_console();
    return FALSE;
}

void install_guards() {
    if (guards_installed)
        return;
    guards_installed = true;
    std::atexit(restore_console);
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

// The board is drawn with escape sequences; a Windows console reads them only when asked to.
// Where that cannot be had, the game still works, in plain characters with the codes shown.
void enable_escape_sequences() {
    static bool tried = false;
    if (tried)
        return;
    tried      = true;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(out, &mode) || (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0)
        return;
    install_guards();
    saved_output_mode = mode;
    if (SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        output_changed = 1;
}

// True when the C library holds bytes of stdin not yet taken (keys typed ahead of a prompt,
// or the rest of the line a number was read from).
bool stdin_holds_bytes() {
#if defined(_UCRT)
    char** base = nullptr;
    char** next = nullptr;
    int* count  = nullptr;
    return _get_stream_buffer_pointers(stdin, &base, &next, &count) == 0 && count != nullptr &&
           *count > 0;
#else
    return stdin->_cnt > 0;
#endif
}

int saved_stdout = -1;  // stdout's descriptor while it is muted

}  // namespace

// stdout stays in text mode: every "\n" goes out as CR LF, the line end Windows managers
// write themselves and read either way.
void prepare_standard_streams() { _setmode(_fileno(stdin), _O_BINARY); }

long read_standard_input(char* buffer, size_t size) {
    const unsigned most = size < 65536 ? static_cast<unsigned>(size) : 65536u;
    const int got       = _read(0, buffer, most);  // binary mode: Ctrl-Z is a byte like any
    return got > 0 ? got : 0;
}

int read_key() {
    std::fflush(stdout);
    HANDLE in  = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(in, &mode) || stdin_holds_bytes() || std::cin.rdbuf()->in_avail() > 0)
    {
        // A pipe or a file, or bytes already read ahead: through cin's buffer, as bytes.
        const int key = std::cin.rdbuf()->sbumpc();
        return key == std::char_traits<char>::eof() ? -1 : key;
    }
    install_guards();
    saved_input_mode = mode;
    input_changed    = 1;
    int key          = _getch();  // switches the console to raw input for the one key
    // Arrow and function keys come as a prefix and a code; none of them is a key of the game.
    if (key == 0 || key == 0xE0)
    {
        _getch();
        key = 0;
    }
    restore_terminal();
    // Raw input turns Ctrl-C into a character: end the process as Ctrl-C would.
    if (key == 3)
    {
        restore_console();
        ExitProcess(STATUS_CONTROL_C_EXIT);
    }
    return key;
}

void clear_screen() {
    enable_escape_sequences();
    std::printf("\x1b[H\x1b[2J");
}

void restore_terminal() {
    if (InterlockedExchange(&input_changed, 0) != 0)
        SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), saved_input_mode);
}

long long process_cpu_ns() {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
        return 0;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<long long>((static_cast<uint64_t>(t.dwHighDateTime) << 32) |
                                      t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) * 100;  // 100 ns units
}

void mute_stdout(bool mute) {
    std::fflush(stdout);
    if (mute && saved_stdout < 0)
    {
        saved_stdout  = _dup(_fileno(stdout));
        const int nul = _open("NUL", _O_WRONLY);
        if (nul >= 0)
        {
            _dup2(nul, _fileno(stdout));
            _close(nul);
        }
    }
    else if (!mute && saved_stdout >= 0)
    {
        _dup2(saved_stdout, _fileno(stdout));
        _close(saved_stdout);
        saved_stdout = -1;
    }
}

#else  // POSIX

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

long read_standard_input(char* buffer, size_t size) {
    for (;;)
    {
        const ssize_t got = read(STDIN_FILENO, buffer, size);
        if (got >= 0)
            return static_cast<long>(got);
        if (errno != EINTR)
            return 0;
    }
}

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

void prepare_standard_streams() {}

#if defined(__EMSCRIPTEN__)
// Under Node the process's CPU time in microseconds (its other threads, the compiler's and the
// collector's, included); -1 in a browser, which has no such clock.
// clang-format off
EM_JS(double, node_cpu_us, (), {
    if (typeof process == "undefined" || typeof process.cpuUsage != "function")
        return -1;
    var used = process.cpuUsage();
    return used.user + used.system;
});
// clang-format on
#endif

long long process_cpu_ns() {
#if defined(__EMSCRIPTEN__)
    const double us = node_cpu_us();
    if (us >= 0)
        return static_cast<long long>(us) * 1000;
#endif
    timespec ts;
#if defined(__EMSCRIPTEN__)
    // A browser has no process clock; the page's engine is one thread.
    clock_gettime(CLOCK_MONOTONIC, &ts);
#else
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
#endif
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

namespace {

int saved_stdout = -1;  // stdout's descriptor while it is muted

}  // namespace

void mute_stdout(bool mute) {
    std::fflush(stdout);
    if (mute && saved_stdout < 0)
    {
        saved_stdout  = dup(STDOUT_FILENO);
        const int nul = open("/dev/null", O_WRONLY);
        if (nul >= 0)
        {
            dup2(nul, STDOUT_FILENO);
            close(nul);
        }
    }
    else if (!mute && saved_stdout >= 0)
    {
        dup2(saved_stdout, STDOUT_FILENO);
        close(saved_stdout);
        saved_stdout = -1;
    }
}

#endif

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
