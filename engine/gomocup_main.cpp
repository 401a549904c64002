// Protocol loop (placeholder until the loop lands).
#include "engine/gomocup_main.h"

#include <cstdlib>

std::string command;

void gomocup() { std::exit(0); }
