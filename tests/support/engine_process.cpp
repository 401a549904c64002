// Spawning and talking to the engine over pipes.
#include "tests/support/engine_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The deadline `timeout_ms` from now, stretched by GRAVIK_TIMEOUT_SCALE when that is above 1.
long long deadline_in(int timeout_ms) {
    return now_ms() + static_cast<long long>(timeout_ms * timeout_scale());
}

}  // namespace

double timeout_scale() {
    static const char* text   = std::getenv("GRAVIK_TIMEOUT_SCALE");
    static const double scale = text != nullptr && std::atof(text) > 1.0 ? std::atof(text) : 1.0;
    return scale;
}

EngineProcess::EngineProcess() {
    const char* other         = std::getenv("GRAVIK_ENGINE");
    const std::string command = other != nullptr && *other != '\0'
                                    ? "exec " + std::string(other)
                                    : "exec '" + std::string(GRAVIK_ENGINE_PATH) + "'";
    int in_pipe[2], out_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0)
        std::abort();
    signal(SIGPIPE, SIG_IGN);
    pid_ = fork();
    if (pid_ == 0)
    {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1]})
            close(fd);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
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
    close(from_fd_);
}

void EngineProcess::send(const std::string& text) {
    // A blocking pipe takes the whole text in one write, unless the engine has gone.
    if (to_fd_ >= 0 && write(to_fd_, text.data(), text.size()) < 0)
        close_input();
}

void EngineProcess::close_input() {
    if (to_fd_ >= 0)
        close(to_fd_);
    to_fd_ = -1;
}

bool EngineProcess::read_line(std::string* line, int timeout_ms, bool replies_only) {
    const long long deadline = deadline_in(timeout_ms);
    for (;;)
    {
        const size_t eol = buffer_.find('\n');
        if (eol != std::string::npos)
        {
            *line = buffer_.substr(0, eol - (eol > 0 && buffer_[eol - 1] == '\r'));
            buffer_.erase(0, eol + 1);
            const bool chatter =
                line->empty() || line->rfind("MESSAGE", 0) == 0 || line->rfind("DEBUG", 0) == 0;
            if (!replies_only || !chatter)
                return true;
            continue;
        }
        pollfd pfd{from_fd_, POLLIN, 0};
        const long long left = deadline - now_ms();
        char chunk[4096];
        const ssize_t n = left > 0 && poll(&pfd, 1, static_cast<int>(left)) > 0
                              ? read(from_fd_, chunk, sizeof chunk)
                              : -1;
        if (n <= 0)  // time up, or EOF: a last line without its line feed still counts
        {
            *line = buffer_;
            buffer_.clear();
            return n == 0 && !line->empty();
        }
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

int EngineProcess::wait_exit(int timeout_ms) {
    for (const long long deadline = deadline_in(timeout_ms); now_ms() < deadline;)
    {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_)
        {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::string line;  // drained, so a chatty engine never blocks on a full pipe
        read_line(&line, 10);
    }
    return -1;
}

EngineRun run_engine(const std::string& script, int timeout_ms) {
    EngineRun run;
    EngineProcess engine;
    engine.send(script);
    engine.close_input();
    std::string line;
    while (engine.read_line(&line, timeout_ms))
        run.lines.push_back(line);
    run.status = engine.wait_exit(1000);
    return run;
}

bool is_move_on_board(const std::string& line, int size, int* x, int* y) {
    int mx = -1, my = -1;
    char tail     = 0;
    const bool ok = std::sscanf(line.c_str(), "%d,%d%c", &mx, &my, &tail) == 2 && mx >= 0 &&
                    my >= 0 && mx < size && my < size;
    if (ok && x != nullptr)
        *x = mx, *y = my;
    return ok;
}
