#pragma once
// Keeps the record on a thread of its own, so that a window never waits for
// the disk (each write reaches it before it replaces the old file). Updates
// run in the order given.

#include "record/WheelRecord.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace wheel {

class RecordWriter {
public:
    // Called on the writer's thread after each update: an empty problem when
    // the record was written, else why it was not.
    using Done = std::function<void(const QString& problem)>;

    RecordWriter(QString path, Done done);
    ~RecordWriter();  // writes what is queued first
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    const QString& Path() const { return m_path; }
    void Started(std::vector<std::uint8_t> slotBytes, SlotNames names);
    void Ended(DownloadOutcome outcome);

private:
    void Post(std::function<bool(RecordKeeper&, QString*)> update);
    void Work();

    const QString m_path;
    const Done m_done;
    RecordKeeper m_keeper;  // the writer's thread only
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<bool(RecordKeeper&, QString*)>> m_updates;
    bool m_bStopping = false;
    std::thread m_thread;  // last: starts once the rest is ready
};

} // namespace wheel
