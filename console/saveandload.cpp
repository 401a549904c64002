// Game records: the moves of the game in progress, one per line, in a file named after the
// local date and time. The file has its own stream; standard output is never touched.
#include "console/saveandload.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "game/Main.h"

char save_report[200] = "";

int SAVE() {
    // Step 1. Name the file after the local date and time, every field zero-padded.
    const std::time_t now = std::time(nullptr);
    const std::tm* local  = std::localtime(&now);
    char name[64];
    std::snprintf(name, sizeof name, "REC %04d%02d%02d-%02d%02d%02d.psq", local->tm_year + 1900,
                  local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec);

    // Step 2. Write the record. Other board sizes get their own size in the header, so a
    // reader never takes a 20x20 game for a 15x15 one.
    std::FILE* file = std::fopen(name, "w");
    int error       = file ? 0 : errno;
    if (file)
    {
        errno = 0;
        if (BOARDSIZE == 15)
            std::fprintf(file, "15x15 result:%d\n", result);
        else
            std::fprintf(file, "%dx%d result:%d\n", BOARDSIZE, BOARDSIZE, result);
        // Slots cleared by an undo hold 0 and are skipped.
        for (int k = 1; k < i; ++k)
            if (stonex[k] != 0)
                std::fprintf(file, "%d,%d,0\n", stonex[k], stoney[k]);
        std::fprintf(file, "Player\nPlayer");
        if (std::ferror(file))
            error = errno ? errno : EIO;
        if (std::fclose(file) != 0 && error == 0)
            error = errno ? errno : EIO;
    }

    // Step 3. Tell the player how it went.
    if (error == 0)
    {
        std::snprintf(save_report, sizeof save_report,
                      "     File was Successfully SAVED as \"%s\"\n", name);
        std::printf("\n\n     File was Successfully SAVED\n");
    }
    else
    {
        std::snprintf(save_report, sizeof save_report, "     File \"%s\" could NOT be saved: %s\n",
                      name, std::strerror(error));
        std::printf("\n\n%s", save_report);
    }
    std::fflush(stdout);
    return 0;
}
