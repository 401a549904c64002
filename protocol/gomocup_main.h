// The protocol loop that serves a tournament manager over stdin/stdout.
#pragma once

#include <string>

extern std::string command;  // the last command word read

// Reads commands until END or end of input, then ends the process with status 0.
[[noreturn]] void gomocup();

void gomocup_start();               // sets the search settings and prints the greeting lines
[[noreturn]] void gomocup_serve();  // the command loop proper
