#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli totals: the figures of the totals window as one JSON object.
class TotalsCommand final : public Command {
public:
    TotalsCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
