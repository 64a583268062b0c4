#pragma once

// Runs another program (a path, or a name looked up in PATH) and waits for it: its standard output
// as text, its exit code and the wall time from just before the start to its end.

#include <string>
#include <vector>

namespace miyoutong::bench {

struct ChildResult {
    int exitCode = -1;  // -1 when it could not start or did not exit normally
    std::string out;
    double seconds = 0;
};

// Standard error goes to the benchmark's own; standard input is empty.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& args);

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process of the machine, so a child can
// measure from a moment its parent took.
long long MonotonicNanoseconds();

// The value of a "name value" line of a child's output; NaN when it has none.
double FigureOf(const std::string& out, const std::string& name);

}  // namespace miyoutong::bench
