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
    const OptionValues& o = context.args.options;
    const std::string angle = o.Get("--angle"), picturePath = o.Get("--picture"), transcript = o.Get("--transcript");
    const bool haveAngle = o.Has("--angle"), havePicture = o.Has("--picture"), wantTranscript = o.Has("--transcript");
    const bool left = o.Has("--left"), right = o.Has("--right");
    wheel::LoadOptions options;
    std::string adjustmentError;
    bool adjusted = false;
    if (!ApplyAdjustments(o, options.adjustments, adjustmentError, &adjusted))
        return Fail(adjustmentError, 2);
    if (adjusted && !havePicture)
        return Fail("--rotate, --threshold, --invert and --fit adjust the --picture FILE, which is missing", 2);
    if (!haveAngle)
        return Fail("calibrate needs --angle TEXT", 2);
    if (left == right)
        return Fail("calibrate needs one of --left and --right", 2);
    if (!context.args.operands.empty())
        return Fail("unexpected argument '" + context.args.operands[0] + "' (see wheelctl calibrate --help)", 2);

    // The block is the last rendering: an empty wheel, or the picture given.
    wheel::WheelPicture picture;
    if (havePicture) {
        options.wantOriginal = false;
        wheel::LoadResult loaded = wheel::LoadPicture(picturePath, options);
        if (!loaded)
            return Fail(picturePath + ": " + English(wheel::LoadErrorText(loaded.error)));
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

OptionTable CalibrateOptions()
{
    OptionTable table = {
        {"--angle", "TEXT", "the angle, 1 to 90 degrees, as typed in the angle field", Value::Text},
        {"--left", "", "turn the picture to the left"},
        {"--right", "", "turn the picture to the right"},
        {"--picture", "FILE", "send this picture's block (default: an empty wheel)", Value::Picture},
        {"--transcript", "FILE", "every report out and in, as for download", Value::File},
    };
    for (Option& adjustment : AdjustmentOptions()) {
        adjustment.help += "\n(for the --picture, as for convert)";
        table.push_back(std::move(adjustment));
    }
    return table;
}

const Registrar kCalibrate({
    "calibrate",
    std::string("calibrate --angle TEXT (--left | --right) [--picture FILE] [--transcript FILE]\n"
                "        ")
        + kAdjustmentSynopsis,
    "      Turns the picture the wheel light shows by 1 to 90 degrees, as\n"
    "      \"点击校准\". TEXT is taken as the angle field's text, with the same\n"
    "      checks and messages.\n",
    CalibrateOptions(),
    RunCalibrate,
});

} // namespace
} // namespace wheelctl
