#pragma once
// Writing the files that wheelctl and the window produce, as careful
// command-line tools do:
// - "-" is standard output;
// - a device, FIFO or socket named as the output is opened and written in
//   place, never replaced by an ordinary file;
// - a symlink is followed: the file it points to is replaced, the link stays;
// - a regular file is replaced through a temporary beside it and a rename,
//   so a reader never sees half of it; the new file keeps the old one's
//   permission bits, owner and group. When the owner or group cannot be
//   kept (another user's file), the file has other hard links, or its
//   directory takes no new files, it is written in place instead, so that
//   it stays the same file for every name and every owner;
// - several outputs of one command are written all or none: every
//   temporary is filled first, then they are renamed into place, then the
//   outputs written in place get their bytes; on a failure the files
//   already replaced are swapped back, those written in place get their old
//   bytes again, and no temporary remains. Only bytes already handed to a
//   device, FIFO, socket or standard output cannot be taken back.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace wheel {

struct OutputError {
    std::string path;    // the output as named, "-" for standard output
    std::string reason;  // the system's own words ("Permission denied")
};

class OutputFiles {
public:
    OutputFiles();
    ~OutputFiles();  // what was not committed is discarded
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;

    // Makes `path` ready to be written: opens what is written in place,
    // creates the temporary of what is replaced. A FIFO waits here for its
    // reader. False, with the reason, when the path cannot be written.
    bool Prepare(const std::string& path, OutputError* error = nullptr);

    // Writes contents[i] to the i-th prepared output, all or none (see above).
    bool Commit(const std::vector<std::span<const std::uint8_t>>& contents, OutputError* error = nullptr);

private:
    struct Output;
    // Which output failed, and the errno that says why.
    struct Failure {
        const Output* output = nullptr;
        int err = 0;
        bool Set(const Output& o, int e)
        {
            output = &o;
            err = e;
            return false;
        }
    };
    // The steps of a commit, in this order; RollBack undoes what the steps
    // did when one of them failed.
    bool FillTemporaries(const std::vector<std::span<const std::uint8_t>>& contents, Failure& failure);
    bool Place(Failure& failure);
    bool WriteInPlace(const std::vector<std::span<const std::uint8_t>>& contents, Failure& failure);
    void RollBack();
    void Discard();
    std::vector<std::unique_ptr<Output>> m_outputs;
};

// One output, all or nothing: what the window's exports call.
bool WriteOutputFile(const std::string& path, std::span<const std::uint8_t> bytes, OutputError* error = nullptr);

} // namespace wheel
