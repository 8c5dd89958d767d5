// wheelctl download-set: a picture set's pictures into their slots in one
// download, as the set window's "下载全部" does.

#include "cli/Command.h"
#include "cli/DeviceSession.h"

#include "io/LocalPath.h"
#include "sets/CellLoader.h"
#include "sets/SetDownload.h"
#include "sets/SetFile.h"


#include <iostream>

namespace wheelctl {
namespace {

int RunDownloadSet(const Context& context)
{
    const std::vector<std::string>& args = context.args.operands;
    const auto transcript = context.args.options.Find("--transcript");
    if (args.size() != 1)
        return Fail("download-set takes one picture set file (see wheelctl download-set --help)", 2);

    const QString path = wheel::FromLocalPath(args[0]);
    wheel::SetFileError error;
    const std::optional<wheel::PictureSet> set = wheel::ReadSetFile(path, &error);
    if (!set)
        return Fail(wheel::SetFileErrorTextEnglish(path, error));
    if (set->FilledCount() == 0)
        return Fail(args[0] + ": the picture set holds no picture");

    // Every cell at once, on as many threads as there are processors.
    wheel::CellRenderings rendered;
    {
        wheel::CellLoader loader;
        loader.Start(*set, [&](std::uint64_t, int box, const wheel::CellRendering& rendering) {
            rendered.at(static_cast<std::size_t>(box - 1)) = rendering;
        }, 0);
        loader.WaitForIdle(std::chrono::hours(24));
    }
    const wheel::SetDownload download = wheel::PlanSetDownload(*set, rendered);
    for (int box : download.skipped) {
        const auto& rendering = rendered.at(static_cast<std::size_t>(box - 1));
        Fail(args[0] + ": box " + std::to_string(box) + " is skipped: "
             + wheel::LocalPath(set->Cell(box)->picture) + ": "
             + English(wheel::LoadErrorText(rendering ? rendering->error : wheel::LoadError::DecodeFailed)));
    }
    if (download.pictures.empty())
        return Fail(args[0] + ": no picture of the set could be loaded");

    DeviceSession session(context, transcript, "download");
    session.KeepRecord(download.names);
    return session.Run(
        [&](wheel::WheelProtocol& protocol) { return protocol.OnDownloadPictures(download.pictures); });
}

const Registrar kDownloadSet({
    "download-set",
    "download-set SETFILE [--transcript FILE]",
    "      Downloads a picture set (.wheelset) in one download, as the set\n"
    "      window's \"下载全部\": each picture, with its adjustments, into its box,\n"
    "      box 1 first; the set's 48-picture mode. A picture that cannot be\n"
    "      loaded is named, and its box skipped.\n",
    {{"--transcript", "FILE", "every report out and in, as for download", Value::File}},
    RunDownloadSet,
    "",
    Value::SetFile,
});

} // namespace
} // namespace wheelctl
