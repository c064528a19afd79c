// The program's command line, looked at before anything else starts: with
// no argument the player runs; --help or --version alone print to stdout
// and end the program with 0; anything else prints one usage line on stderr
// and ends it with 2. Nothing here opens a display. Main thread.
#pragma once

// True when the program must end at once with *exitCode (after printing).
bool commandLineEndsProgram(int argc, const char* const* argv, int* exitCode);
