// Drives the real engine binary through its standard input and output, as a manager does.
//
// GRAVIK_ENGINE names another engine command, run by the shell (for example
// "wine /path/pbrain-gravik.exe"); GRAVIK_TIMEOUT_SCALE stretches every timeout below by that
// factor (for an engine behind an emulator). Both are read from the environment.
#pragma once

#include <string>
#include <vector>

class EngineProcess {
  public:
    EngineProcess();   // starts the engine
    ~EngineProcess();  // kills it if it still runs
    EngineProcess(const EngineProcess&)            = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    void send(const std::string& text);  // writes text as it is (add the "\n" yourself)
    void close_input();
    // Next line without its line end (LF or CR LF); false once the time is up or at EOF.
    // Replies only: empty, MESSAGE and DEBUG lines are skipped.
    bool read_line(std::string* line, int timeout_ms, bool replies_only = false);
    bool read_reply(std::string* line, int timeout_ms) { return read_line(line, timeout_ms, true); }
    // Exit status once input is closed, or -1 when it has not ended within the time.
    int wait_exit(int timeout_ms);

  private:
    int pid_ = -1, to_fd_ = -1, from_fd_ = -1;
    std::string buffer_;
};

struct EngineRun {
    std::vector<std::string> lines;  // every output line, in order
    int status = -1;                 // exit status, -1 when it had to be killed
};

// GRAVIK_TIMEOUT_SCALE, or 1: how much slower than native the engine under test runs.
double timeout_scale();

// Runs the engine on a whole script (stdin closed after it) and collects all output.
EngineRun run_engine(const std::string& script, int timeout_ms = 20000);

// True when `line` is a move reply "x,y" with both coordinates in 0..size-1.
bool is_move_on_board(const std::string& line, int size, int* x = nullptr, int* y = nullptr);
