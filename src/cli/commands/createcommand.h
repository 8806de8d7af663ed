#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli create: a new, empty logbook in the folder, never over an existing one.
class CreateCommand final : public Command {
public:
    CreateCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
