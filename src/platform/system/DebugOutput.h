#pragma once
// OutputDebugStringA: text for an attached debugger, never for the user. There is no debugger
// channel here, so the text is dropped unless a sink is installed (tests install one to see
// what a call sent).

#include <functional>

void OutputDebugStringA(const char* text);

// Installs the sink that receives every later OutputDebugStringA text (an empty function drops
// them again) and returns the one it replaces. Thread-safe.
std::function<void(const char*)> SetDebugOutputSink(std::function<void(const char*)> sink);
