#pragma once

// Runs a program with the given arguments and standard input, and collects its standard output,
// standard error and exit code. Files in a temporary folder carry the streams, so a large output
// cannot block the child.

#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_directory.h"

namespace miyoutong::testing_support {

struct ProgramResult {
    int exitCode = -1;  // -1 when the program could not be started or did not exit normally
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& input = {}) {
    TempDirectory dir;
    const std::string in = (dir.path() / "in").string();
    const std::string out = (dir.path() / "out").string();
    const std::string err = (dir.path() / "err").string();
    WriteWholeFile(in, input);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    ProgramResult result;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return result;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = ReadWholeFile(out);
    result.err = ReadWholeFile(err);
    return result;
}

}  // namespace miyoutong::testing_support
