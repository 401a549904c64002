// Standard input behind a queue that a reader thread fills.
//
// The reader reads only when the command loop waits for input or while a move decision runs,
// so the console game's raw keys are read one at a time as before and nothing is read ahead of
// the loop otherwise. Every byte read goes to the loop, in order; the queue holds at most
// QUEUE_LIMIT bytes, beyond which the reader waits (the rest stays in the system's pipe).
//
// Lines are numbered as they come. A line that is only YXSTOP or STOP stops the move decision
// of the latest move request before it (a BEGIN, TURN or YXNBEST line, or the DONE that ends
// a BOARD block), whether that decision runs already or starts later, and no other: the
// input's order decides, not the timing, so piped input gives the same replies at any pace.
#include "protocol/input_reader.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <iostream>
#include <mutex>
#include <streambuf>
#include <string>
#include <thread>

#include "game/Main.h"
#include "game/timer.h"
#include "platform/platform.h"
#include "protocol/gomocup_main.h"

namespace {

constexpr size_t QUEUE_LIMIT = 1 << 20;  // bytes read but not yet served
constexpr size_t LINE_START  = 32;       // bytes kept of each line to read its first word

struct Chunk {
    std::string text;  // one line with its '\n', or the part of one that has arrived
    uint64_t line;     // its line number, from 1
};

class InputQueue : public std::streambuf {
  public:
    void run_reader();
    void thinking(bool begins);

  protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;

  private:
    void take(const char* bytes, long count);  // under the lock
    void line_complete();                      // under the lock
    void stop_for(uint64_t decision);          // under the lock

    std::mutex mutex_;
    std::condition_variable reader_wake_, loop_wake_;
    std::deque<Chunk> queue_;
    size_t queued_bytes_ = 0;
    bool wanted_         = false;    // the loop waits for bytes
    bool thinking_       = false;    // a move decision runs
    bool ended_          = false;    // the input has ended
    uint64_t line_       = 1;        // number of the line being read
    std::string start_;              // its first bytes
    bool start_too_long_   = false;  // and there were more
    bool in_board_         = false;  // inside a BOARD block, whose DONE asks for a move
    bool in_yxboard_       = false;  // inside a YXBOARD block, whose DONE does not
    uint64_t last_request_ = 0;      // line of the latest move request read
    std::deque<uint64_t> stopped_;   // move requests a stop has reached, in input order
    uint64_t decision_line_ = 0;     // the request being decided, while thinking_

    std::string current_;        // the chunk the loop reads from
    uint64_t current_line_ = 0;  // and its line
};

void InputQueue::run_reader() {
    char buffer[4096];
    for (;;)
    {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            reader_wake_.wait(lock, [this] {
                return queued_bytes_ < QUEUE_LIMIT && (thinking_ || (wanted_ && queue_.empty()));
            });
        }
        const long got = read_standard_input(buffer, sizeof buffer);
        std::lock_guard<std::mutex> lock(mutex_);
        if (got <= 0)
        {
            if (!start_.empty() || start_too_long_)
                line_complete();  // a last line without its line end
            ended_ = true;
            loop_wake_.notify_all();
            return;
        }
        take(buffer, got);
        loop_wake_.notify_all();
    }
}

void InputQueue::take(const char* bytes, long count) {
    long from = 0;
    while (from < count)
    {
        long end = from;
        while (end < count && bytes[end] != '\n')
            ++end;
        const bool complete = end < count;
        const long length   = end - from + (complete ? 1 : 0);
        const size_t part   = static_cast<size_t>(complete ? end - from : length);
        const size_t room   = LINE_START - start_.size();
        start_.append(bytes + from, part < room ? part : room);
        start_too_long_ = start_too_long_ || part > room;
        queue_.push_back({std::string(bytes + from, static_cast<size_t>(length)), line_});
        queued_bytes_ += static_cast<size_t>(length);
        if (complete)
            line_complete();
        from += length;
    }
}

// Reads the first word of the finished line, as the command loop will, in any letter case.
void InputQueue::line_complete() {
    const char* blanks = " \t\r\v\f";
    const size_t first = start_.find_first_not_of(blanks);
    const size_t after = first == std::string::npos ? first : start_.find_first_of(blanks, first);
    std::string word =
        first == std::string::npos ? std::string() : start_.substr(first, after - first);
    const bool alone =
        !start_too_long_ && (after == std::string::npos ||
                             start_.find_first_not_of(blanks, after) == std::string::npos);
    UPPERCASE(&word);
    if (in_board_ || in_yxboard_)
    {
        if (word == "DONE")
        {
            if (in_board_)
                last_request_ = line_;
            in_board_ = in_yxboard_ = false;
        }
    }
    else if (word == "BEGIN" || word == "TURN" || word == "YXNBEST")
        last_request_ = line_;
    else if (word == "BOARD")
        in_board_ = true;
    else if (word == "YXBOARD")
        in_yxboard_ = true;
    else if (alone && (word == "YXSTOP" || word == "STOP") && last_request_ != 0)
        stop_for(last_request_);
    start_.clear();
    start_too_long_ = false;
    ++line_;
}

void InputQueue::stop_for(uint64_t decision) {
    if (thinking_ && decision == decision_line_)
        stop_thinking.store(true, std::memory_order_relaxed);
    else if (stopped_.empty() || stopped_.back() != decision)
        stopped_.push_back(decision);
}

// Hands the loop the next chunk, waiting for the reader when none is queued.
InputQueue::int_type InputQueue::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    std::unique_lock<std::mutex> lock(mutex_);
    while (queue_.empty() && !ended_)
    {
        wanted_ = true;
        reader_wake_.notify_all();
        loop_wake_.wait(lock);
    }
    wanted_ = false;
    if (queue_.empty())
        return traits_type::eof();
    current_.swap(queue_.front().text);
    current_line_ = queue_.front().line;
    queue_.pop_front();
    queued_bytes_ -= current_.size();
    reader_wake_.notify_all();  // room again below the limit
    char* text = &current_[0];
    setg(text, text, text + current_.size());
    return traits_type::to_int_type(*gptr());
}

std::streamsize InputQueue::showmanyc() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<std::streamsize>(queued_bytes_);
}

// The decision belongs to the line the loop is reading: the command's own line.
void InputQueue::thinking(bool begins) {
    std::lock_guard<std::mutex> lock(mutex_);
    thinking_ = begins;
    if (begins)
    {
        decision_line_ = current_line_;
        // Stops of earlier requests are spent: those requests have been answered.
        while (!stopped_.empty() && stopped_.front() < decision_line_)
            stopped_.pop_front();
        if (!stopped_.empty() && stopped_.front() == decision_line_)
            stop_thinking.store(true, std::memory_order_relaxed);
        reader_wake_.notify_all();
    }
    else
        stop_thinking.store(false, std::memory_order_relaxed);
}

// Lives as long as the process: the reader may still wait for input when the process ends.
InputQueue* queue_in_use = nullptr;

void thinking_changes(bool begins) { queue_in_use->thinking(begins); }

}  // namespace

void start_input_reader() {
    queue_in_use = new InputQueue;
    std::cin.rdbuf(queue_in_use);
    thinking_hook = thinking_changes;
    std::thread([] { queue_in_use->run_reader(); }).detach();
}
