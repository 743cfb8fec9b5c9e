#pragma once

// The whole program: arguments, output document, configuration, run sequence, the wait for
// the end of the run, and the shutdown. Returns the process exit code.
int EpgHarvestMain(int argc, char** argv);
