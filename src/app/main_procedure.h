#pragma once

namespace vesk::app {

// The program entry: settles the folders, hands the command line to a running instance
// or starts the player. Returns the process exit code.
int run(int argc, char** argv);

}  // namespace vesk::app
