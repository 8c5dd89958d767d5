#pragma once
// Runs build/bin/wheelctl and collects its exit status and output.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace wheeltest {

struct CliResult {
    int status = -1;
    std::string out;  // stdout and stderr together
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

inline CliResult RunWheelctl(const std::string& args)
{
    CliResult result;
    const std::string command = Quote(WheelctlPath()) + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

} // namespace wheeltest
