#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/TemporaryDirectory.h"

namespace plovik::testing {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& argument) {
    std::string result = "'";
    for (const char c : argument) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

// Runs the built tools/<program> with `input` on standard input and the `environment`
// variables set for it alone; the exit status is -1 when it did not exit normally.
inline ProgramRun runBuiltProgram(
    const std::string& program, const std::vector<std::string>& arguments, const std::string& input,
    const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    const TemporaryDirectory streams;
    writeFile(streams.path() / "in", input);
    std::string command;
    for (const auto& [name, value] : environment) {
        command += name + "=" + shellQuoted(value) + " ";
    }
    command += shellQuoted(std::string(PLOVIK_BUILD_DIR "/tools/") + program);
    for (const auto& argument : arguments) {
        command += " " + shellQuoted(argument);
    }
    command += " <" + shellQuoted(streams.path() / "in") + " >" +
               shellQuoted(streams.path() / "out") + " 2>" + shellQuoted(streams.path() / "err");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(streams.path() / "out"),
            readFile(streams.path() / "err")};
}

}  // namespace plovik::testing
