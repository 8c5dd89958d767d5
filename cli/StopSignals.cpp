#include "cli/StopSignals.h"

#include <pthread.h>
#include <time.h>

namespace wheelctl {

namespace {

sigset_t StopSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

StopSignals::StopSignals()
{
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, &m_previous);
}

StopSignals::~StopSignals()
{
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

int StopSignals::Poll()
{
    const sigset_t set = StopSet();
    const timespec now{};
    const int signal = sigtimedwait(&set, nullptr, &now);
    if (signal <= 0)
        return m_received;
    if (m_received == 0) {
        m_received = signal;
        return m_received;
    }
    // Asked twice: as if nothing had been held back.
    std::signal(signal, SIG_DFL);
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    std::raise(signal);
    return m_received;
}

} // namespace wheelctl
