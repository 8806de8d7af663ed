#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli add: flights from JSON, each refused alone when another starts at its time.
class AddCommand final : public Command {
public:
    AddCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
