// wheelctl calibrate: the angle calibration, as "点击校准" does.

#include "cli/AdjustmentOptions.h"
#include "cli/Command.h"
#include "cli/DeviceSession.h"

#include "picture/PictureFile.h"
#include "picture/WheelPicture.h"
#include "protocol/AngleText.h"


namespace wheelctl {
namespace {

int RunCalibrate(const Context& context)
{
    std::vector<std::string> args = context.args;
    std::string angle, picturePath, transcript;
    bool missing = false;
    const bool haveAngle = TakeOption(args, "--angle", angle, missing);
    const bool havePicture = TakeOption(args, "--picture", picturePath, missing);
    const bool wantTranscript = TakeOption(args, "--transcript", transcript, missing);
    const bool left = TakeFlag(args, "--left");
    const bool right = TakeFlag(args, "--right");
    if (missing)
        return Fail("an option is missing its value (see wheelctl calibrate --help)", 2);
    wheel::LoadOptions options;
    std::string adjustmentError;
    bool adjusted = false;
    if (!TakeAdjustments(args, options.adjustments, adjustmentError, &adjusted))
        return Fail(adjustmentError, 2);
    if (const auto status = RejectLeftOptions(args, "calibrate"))
        return *status;
    if (adjusted && !havePicture)
        return Fail("--rotate, --threshold, --invert and --fit adjust the --picture FILE, which is missing", 2);
    if (!haveAngle)
        return Fail("calibrate needs --angle TEXT", 2);
    if (left == right)
        return Fail("calibrate needs one of --left and --right", 2);
    if (!args.empty())
        return Fail("unexpected argument '" + args[0] + "' (see wheelctl calibrate --help)", 2);

    // The block is the last rendering: an empty wheel, or the picture given.
    wheel::WheelPicture picture;
    if (havePicture) {
        options.wantOriginal = false;
        wheel::LoadResult loaded = wheel::LoadPicture(picturePath, options);
        if (!loaded)
            return Fail(picturePath + ": " + wheel::LoadErrorTextEnglish(loaded.error));
        picture.SetPicture(std::move(loaded.picture));
        picture.RenderWheel(1);
    }

    if (wantTranscript && IsStandardOutput(transcript))
        TakeStandardOutput();
    wheel::ProtocolInputs values;
    values.angleText = angle;
    values.m_nDirection = left ? 0 : 1;
    if (const auto exchanged = wheel::ExchangeInteger(angle))
        values.m_nAngle = *exchanged;
    else
        Messages() << "[" << Shown(wheel::kApplicationTitle) << "] " << Shown(wheel::kNotAnInteger) << "\n";

    DeviceSession session(context, wantTranscript ? std::optional(transcript) : std::nullopt, "calibration");
    return session.Run([&](wheel::WheelProtocol& protocol) { return protocol.OnCalibrate(values, picture.Block()); });
}

const Registrar kCalibrate({
    "calibrate",
    std::string("calibrate --angle TEXT (--left | --right) [--picture FILE] [--transcript FILE]\n"
                "        ")
        + kAdjustmentSynopsis,
    "      Turns the picture the wheel light shows by 1 to 90 degrees, as\n"
    "      \"点击校准\". TEXT is taken as the angle field's text, with the same\n"
    "      checks and messages.\n"
    "      --picture FILE     send this picture's block (default: an empty wheel)\n"
    "      --rotate, --threshold, --invert, --fit\n"
    "                         adjust that picture first, as for convert\n"
    "      --transcript FILE  every report out and in, as for download\n",
    RunCalibrate,
});

} // namespace
} // namespace wheelctl
