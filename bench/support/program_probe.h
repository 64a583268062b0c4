#pragma once

// The program itself, run in a process of its own as main() runs it, with a user who acts at
// once: what the whole-program benchmarks start as a child. Prints its figures as "name value"
// lines on standard output.
//
//   --probe-startup T0    T0: the parent's MonotonicNanoseconds() just before the start. Start-up
//                         with the program's own folder; the window is closed once it is exposed.
//   --probe-run HOST DIR DOWNLOAD URLS
//                         A search for men (every page of a gender-only search) against HOST,
//                         with DIR as the program directory, the download ticked when DOWNLOAD is
//                         1; the rows' photo addresses are written to the file URLS.

namespace miyoutong::bench {

// True when argv asks for a probe; `exitCode` is then what main returns.
bool RunProgramProbe(int argc, char** argv, int& exitCode);

}  // namespace miyoutong::bench
