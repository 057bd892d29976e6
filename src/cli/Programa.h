#pragma once

namespace Cli {

// The whole program: reads the arguments, runs one command, returns the exit code.
int Principal(int argc, char **argv);

} // namespace Cli
