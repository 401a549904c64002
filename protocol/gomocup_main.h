// The protocol core: Gomocup AI commands with the analysis boards' YX extension, read from any
// stream, every reply sent through say() (game/Main.h). The native engine drives it over
// stdin/stdout; tests and the browser build drive it in process, a batch of lines at a time.
#pragma once

#include <istream>
#include <string>

extern std::string command;  // the last command word read

// The console game behind the private commands KOR, KOR1, KOR2 and KOR4. Only a terminal
// front end sets it; while it is null those words are ignored like any unknown word.
extern void (*console_game_runner)();

// Told when a move decision of the command just read begins (true) and ends (false), so that
// a front end that reads input meanwhile can stop it. Null where nothing reads meanwhile.
extern void (*thinking_hook)(bool begins);

void gomocup_start();  // sets the search settings and prints the greeting lines

// Serves the commands read from `in` until END or the end of `in`; true when END ended it.
// A command cut off by the end of `in` is dropped without a reply.
bool gomocup_serve(std::istream& in);

// The native engine: start, serve stdin, then end the process with status 0.
[[noreturn]] void gomocup();
