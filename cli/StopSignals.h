#pragma once
// While wheelctl talks to the wheel light, SIGINT and SIGTERM ask the
// operation to stop after the report in flight instead of ending wheelctl
// at once, so that the transcript and the record of the wheel light's slots
// keep what the wheel light confirmed. The signals are held back in every
// thread made meanwhile (none of them is interrupted half way through a
// read) and taken by the one that waits for the operation. A second signal
// ends wheelctl at once, as usual.

#include <csignal>

namespace wheelctl {

class StopSignals {
public:
    StopSignals();   // holds SIGINT and SIGTERM back in this thread and those it starts
    ~StopSignals();  // lets them through again
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Takes a signal that came meanwhile: the first one received (SIGINT,
    // SIGTERM) from then on, or 0. A second one ends the program.
    int Poll();
    int Received() const { return m_received; }

    // The exit status for a signal: 128 plus its number (130, 143).
    static int ExitStatus(int signal) { return 128 + signal; }

private:
    sigset_t m_previous{};
    int m_received = 0;
};

} // namespace wheelctl
