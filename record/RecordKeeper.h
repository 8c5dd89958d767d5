#pragma once
// Keeps the record as downloads start and end. Each step reads the file
// afresh under a lock file, so that the editor and wheelctl may both keep
// it, and writes it whole through a temporary beside it:
// - a path that is not a regular file (a link, a folder, a FIFO, a device)
//   or cannot be read is left exactly as it is: the record is unavailable,
//   and nothing is written;
// - a record that can be read but is none of ours is renamed aside
//   ("….damaged-YYYYmmdd-HHMMSS") before a new one is started;
// - hidden temporaries that a writer killed half way left behind go.
// What happened comes back as RecordNews, each problem once per download.

#include "record/WheelRecord.h"

#include <optional>
#include <utility>

namespace wheel {

class RecordKeeper {
public:
    explicit RecordKeeper(QString path);
    const QString& Path() const { return m_path; }

    // A download is about to write these slots (slot bytes), with these names.
    RecordNews Started(const std::vector<std::uint8_t>& slotBytes, SlotNames names);
    // It ended: the confirmed slots hold their blocks now, the unfinished
    // ones are unknown, the others it was to write hold what they held.
    RecordNews Ended(const DownloadOutcome& outcome);

private:
    RecordNews Once(RecordNews news);

    QString m_path;
    std::vector<std::uint8_t> m_writing;
    SlotNames m_names;
    // The problem told during the running download.
    std::optional<std::pair<RecordNews::Status, RecordNews::Why>> m_told;
};

} // namespace wheel
