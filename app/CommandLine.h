#pragma once
// --help and --version of the dialog programs, answered on standard output
// before any window opens. Every other argument goes to the toolkit.
#include <optional>

// The exit status when argv asked for one of them, else nothing.
std::optional<int> AnswerInfoOptions(int argc, char** argv, bool simulated);
