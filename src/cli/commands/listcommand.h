#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli list: one line per flight in date order.
class ListCommand final : public Command {
public:
    ListCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
