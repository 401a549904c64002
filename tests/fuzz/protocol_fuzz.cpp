// libFuzzer harness over the protocol loop: each input is a whole manager session fed to the
// command loop in-process. END and end of input come back here through the exit hook.
// Depth limits keep every search to a few milliseconds, whatever time the input grants.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "console/play.h"
#include "eval/pattern_tables.h"
#include "game/Main.h"
#include "protocol/gomocup_main.h"
#include "search/random_number.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BUILD_PATTERN_TABLES();
    fill_random_numbers(1);
    // The engine's replies are not checked here (the sanitizers are), so keep them quiet.
    if (!std::getenv("GRAVIK_FUZZ_VERBOSE"))
        (void)std::freopen("/dev/null", "w", stdout);
    end_process_hook    = [](int status) { throw status; };  // back to the harness
    console_game_runner = PLAY;
    // Key s of the console game saves records into the working directory: keep them apart.
    char dir[] = "/tmp/gravik-fuzz-XXXXXX";
    return mkdtemp(dir) == nullptr || chdir(dir) != 0 ? 1 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream session(std::string(reinterpret_cast<const char*>(data), size));
    // The console game reads its keys from cin, so the session stands behind cin too.
    std::streambuf* const saved = std::cin.rdbuf(session.rdbuf());
    std::cin.clear();

    // A fresh process as far as the protocol can tell; the hash tables stay, as they do
    // across games of one run.
    BOARDSIZE = 15;
    RESTART();
    gomocup_start();
    MAX_LAYER = 4, MAX_DEPTH = 8, MAX_DEPTH1 = 7;
    try
    { gomocup_serve(std::cin); }
    catch (int)
    {}
    std::cin.rdbuf(saved);
    std::cin.clear();
    return 0;
}
