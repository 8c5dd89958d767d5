// Where wheelctl's messages go, and how a failed output is named.

#include "cli/Command.h"

#include "io/OutputFile.h"

#include <atomic>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace wheelctl {

namespace {
std::atomic<bool> g_stdoutTaken{false};
}

std::ostream& Messages()
{
    return g_stdoutTaken ? std::cerr : std::cout;
}

void TakeStandardOutput()
{
    g_stdoutTaken = true;
}

bool IsStandardOutput(const std::string& path)
{
    struct stat named {}, out {};
    return path == "-"
        || (::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && named.st_dev == out.st_dev
            && named.st_ino == out.st_ino);
}

std::string OutputName(const std::string& path)
{
    return path == "-" ? "standard output" : path;
}

std::string OutputFailure(const wheel::OutputError& error, const std::string& what)
{
    return OutputName(error.path) + ": cannot write the " + what + ": " + error.reason;
}

} // namespace wheelctl
