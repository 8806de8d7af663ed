#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli total: the running total, or set by hand as in the options.
class TotalCommand final : public Command {
public:
    TotalCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
