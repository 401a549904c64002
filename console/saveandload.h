// Game records written as "REC YYYYMMDD-HHMMSS.psq" in the working directory.
#pragma once

int SAVE();  // always 0
