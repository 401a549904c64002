// Game records written as "REC YYYYMMDD-HHMMSS.psq" in the working directory.
#pragma once

int SAVE();  // always 0

// One line on the outcome of the last SAVE (file name, or why it failed); empty before any.
extern char save_report[200];
