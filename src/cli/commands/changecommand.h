#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli change POS: the flight at a position replaced by one from JSON.
class ChangeCommand final : public Command {
public:
    ChangeCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
