// Draws the console game's screen: board, cursor, last move, hints, statistics.
#pragma once

void OUTPUT();
