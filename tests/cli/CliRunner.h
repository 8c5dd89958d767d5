#pragma once
// Runs build/bin/wheelctl and collects its exit status and output.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace wheeltest {

struct CliResult {
    int status = -1;
    std::string out;  // stdout, and stderr too unless asked apart
    std::string err;  // stderr when asked apart
};

inline std::string WheelctlPath()
{
    const char* bin = std::getenv("WHEEL_BIN_DIR");
    return std::string(bin ? bin : "build/bin") + "/wheelctl";
}

inline std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// With `apart`, stderr is kept in `err` instead of following stdout.
// `shell` runs first in the same shell (limits, traps, variables).
inline CliResult RunProgram(const std::string& program, const std::string& args, bool apart = false,
                            const std::string& shell = "")
{
    CliResult result;
    char errPath[] = "/tmp/wheelctl-stderr-XXXXXX";
    const int errFd = apart ? ::mkstemp(errPath) : -1;
    if (errFd >= 0)
        ::close(errFd);
    const std::string command = shell + (shell.empty() ? "" : "; exec ") + Quote(program) + " " + args
        + (errFd >= 0 ? " 2>" + Quote(errPath) : " 2>&1");
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (errFd >= 0) {
        if (FILE* err = std::fopen(errPath, "rb")) {
            while ((n = std::fread(buffer.data(), 1, buffer.size(), err)) > 0)
                result.err.append(buffer.data(), n);
            std::fclose(err);
        }
        ::unlink(errPath);
    }
    return result;
}

inline CliResult RunWheelctl(const std::string& args, bool apart = false, const std::string& shell = "")
{
    return RunProgram(WheelctlPath(), args, apart, shell);
}

} // namespace wheeltest
