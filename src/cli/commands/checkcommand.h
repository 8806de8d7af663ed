#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli check: the files checked on a copy, so that the folder stays as it is.
class CheckCommand final : public Command {
public:
    CheckCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
