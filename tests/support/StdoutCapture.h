#pragma once
// Runs an action with standard output (the file descriptor, so printf from any code) going to
// a temporary file, and returns what it printed. Make the test's assertions after the call:
// a failure message printed while capturing would land in the capture.

#include <functional>
#include <string>

std::string CaptureStdout(const std::function<void()>& action);
