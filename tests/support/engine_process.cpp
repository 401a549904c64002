// Spawning and talking to the engine binary over pipes.
#include "tests/support/engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A timeout stretched by GRAVIK_TIMEOUT_SCALE, when that is a number above 1.
long long scaled(int timeout_ms) {
    static const double scale = [] {
        const char* text = std::getenv("GRAVIK_TIMEOUT_SCALE");
        const double s   = text != nullptr ? std::atof(text) : 1.0;
        return s > 1.0 ? s : 1.0;
    }();
    return static_cast<long long>(timeout_ms * scale);
}

// The engine command's words: GRAVIK_ENGINE split on spaces, else the binary built here.
std::vector<std::string> engine_command() {
    const char* text = std::getenv("GRAVIK_ENGINE");
    if (text == nullptr || *text == '\0')
        return {GRAVIK_ENGINE_PATH};
    std::vector<std::string> words;
    std::string word;
    for (const char* p = text;; ++p)
    {
        if (*p != ' ' && *p != '\0')
        {
            word += *p;
            continue;
        }
        if (!word.empty())
            words.push_back(word);
        word.clear();
        if (*p == '\0')
            return words;
    }
}

}  // namespace

EngineProcess::EngineProcess() {
    static const std::vector<std::string> command = engine_command();
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    int in_pipe[2], out_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0)
        std::abort();
    signal(SIGPIPE, SIG_IGN);
    pid_ = fork();
    if (pid_ == 0)
    {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        close(in_pipe[0]);
        close(in_pipe[1]);
        close(out_pipe[0]);
        close(out_pipe[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    to_fd_   = in_pipe[1];
    from_fd_ = out_pipe[0];
}

EngineProcess::~EngineProcess() {
    close_input();
    if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0)
    {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (from_fd_ >= 0)
        close(from_fd_);
}

void EngineProcess::send(const std::string& text) {
    size_t done = 0;
    while (to_fd_ >= 0 && done < text.size())
    {
        const ssize_t n = write(to_fd_, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

void EngineProcess::close_input() {
    if (to_fd_ >= 0)
        close(to_fd_);
    to_fd_ = -1;
}

bool EngineProcess::read_line(std::string* line, int timeout_ms) {
    return read_line_until(line, now_ms() + scaled(timeout_ms));
}

bool EngineProcess::read_line_until(std::string* line, long long deadline) {
    for (;;)
    {
        const size_t eol = buffer_.find('\n');
        if (eol != std::string::npos)
        {
            *line = buffer_.substr(0, eol);
            buffer_.erase(0, eol + 1);
            if (!line->empty() && line->back() == '\r')
                line->pop_back();
            return true;
        }
        const long long left = deadline - now_ms();
        if (left <= 0)
            return false;
        pollfd pfd{from_fd_, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left)) <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = read(from_fd_, chunk, sizeof chunk);
        if (n <= 0)
        {
            if (buffer_.empty())
                return false;
            *line = buffer_;  // last line without a line feed
            buffer_.clear();
            return true;
        }
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

bool EngineProcess::read_reply(std::string* line, int timeout_ms) {
    const long long deadline = now_ms() + scaled(timeout_ms);
    for (;;)
    {
        if (!read_line_until(line, deadline))
            return false;
        if (line->empty() || line->rfind("MESSAGE", 0) == 0 || line->rfind("DEBUG", 0) == 0)
            continue;
        return true;
    }
}

int EngineProcess::wait_exit(int timeout_ms) {
    return wait_exit_until(now_ms() + scaled(timeout_ms));
}

int EngineProcess::wait_exit_until(long long deadline) {
    while (now_ms() < deadline)
    {
        int status  = 0;
        const int r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_)
        {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        // Keep draining output so a chatty engine never blocks on a full pipe.
        pollfd pfd{from_fd_, POLLIN, 0};
        if (poll(&pfd, 1, 10) > 0)
        {
            char chunk[4096];
            const ssize_t n = read(from_fd_, chunk, sizeof chunk);
            if (n > 0)
                buffer_.append(chunk, static_cast<size_t>(n));
        }
    }
    return -1;
}

EngineRun run_engine(const std::string& script, int timeout_ms) {
    EngineRun run;
    EngineProcess engine;
    engine.send(script);
    engine.close_input();
    const long long deadline = now_ms() + scaled(timeout_ms);
    std::string line;
    while (engine.read_line_until(&line, deadline))
        run.lines.push_back(line);
    run.status = engine.wait_exit_until(std::max(deadline, now_ms()) + scaled(1000));
    return run;
}

bool is_move_on_board(const std::string& line, int size, int* x, int* y) {
    int mx = -1, my = -1;
    char tail = 0;
    if (std::sscanf(line.c_str(), "%d,%d%c", &mx, &my, &tail) != 2)
        return false;
    if (mx < 0 || my < 0 || mx >= size || my >= size)
        return false;
    if (x)
        *x = mx;
    if (y)
        *y = my;
    return true;
}
