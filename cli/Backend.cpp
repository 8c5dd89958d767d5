#include "cli/Backend.h"

namespace wheelctl {

std::unique_ptr<wheel::IHidBackend> MakeBackend(const Context& context)
{
    return wheel::MakeHidBackend(context.simulate);
}

} // namespace wheelctl
