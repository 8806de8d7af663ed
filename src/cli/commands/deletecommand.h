#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli delete POS: one flight removed, unless its comment is guarded.
class DeleteCommand final : public Command {
public:
    DeleteCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
