// wheelctl factory-reset: the twenty built-in pictures into all slots, as
// "恢复出厂设置" does.

#include "cli/Command.h"
#include "cli/DeviceSession.h"

#include "record/WheelRecord.h"

namespace wheelctl {
namespace {

int RunFactoryReset(const Context& context)
{
    if (!context.args.operands.empty())
        return Fail("unexpected argument '" + context.args.operands[0] + "' (see wheelctl factory-reset --help)", 2);

    wheel::ProtocolInputs values;
    wheel::TransferBlock block{};
    DeviceSession session(context, context.args.options.Find("--transcript"), "factory reset");
    session.KeepRecord({{}, wheel::PictureName::Builtin(wheel::kFactoryRecordName)});
    return session.Run([&](wheel::WheelProtocol& protocol) { return protocol.OnFactoryReset(values, block); });
}

const Registrar kFactoryReset({
    "factory-reset",
    "factory-reset [--transcript FILE]",
    "      Downloads the twenty built-in pictures into all slots with the\n"
    "      48-picture mode on, as \"恢复出厂设置\".\n",
    {{"--transcript", "FILE", "every report out and in, as for download", Value::File}},
    RunFactoryReset,
});

} // namespace
} // namespace wheelctl
