#include "record/RecordWriter.h"

namespace wheel {

RecordWriter::RecordWriter(QString path, Done done)
    : m_path(std::move(path))
    , m_done(std::move(done))
    , m_keeper(m_path)
    , m_thread([this] { Work(); })
{
}

RecordWriter::~RecordWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void RecordWriter::Started(std::vector<std::uint8_t> slotBytes, SlotNames names)
{
    Post([slotBytes = std::move(slotBytes), names = std::move(names)](RecordKeeper& keeper, QString* problem) {
        return keeper.Started(slotBytes, names, problem);
    });
}

void RecordWriter::Ended(DownloadOutcome outcome)
{
    Post([outcome = std::move(outcome)](RecordKeeper& keeper, QString* problem) {
        return keeper.Ended(outcome, problem);
    });
}

void RecordWriter::Post(std::function<bool(RecordKeeper&, QString*)> update)
{
    {
        std::lock_guard lock(m_mutex);
        m_updates.push_back(std::move(update));
    }
    m_wake.notify_all();
}

void RecordWriter::Work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStopping || !m_updates.empty(); });
        if (m_updates.empty())
            return;  // stopping, and everything is written
        auto update = std::move(m_updates.front());
        m_updates.pop_front();
        lock.unlock();
        QString problem;
        if (update(m_keeper, &problem))
            problem.clear();
        else if (problem.isEmpty())
            problem = QStringLiteral("unknown error");
        if (m_done)
            m_done(problem);
        lock.lock();
    }
}

} // namespace wheel
