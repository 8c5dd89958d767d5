#pragma once
// Root reads and writes anything: what an ordinary user meets is checked in
// a child process that is one (nobody, when the tests run as root).

#include <sys/wait.h>
#include <unistd.h>

namespace wheeltest {

// The user the child becomes when the tests run as root.
inline constexpr uid_t kNobody = 65534;

// True when `check` held in the child.
template <typename Check>
bool AsOrdinaryUser(Check check)
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Hands a file made by the test to the user the child becomes.
inline bool GiveToOrdinaryUser(const char* path)
{
    return ::geteuid() != 0 || ::chown(path, kNobody, kNobody) == 0;
}

} // namespace wheeltest
