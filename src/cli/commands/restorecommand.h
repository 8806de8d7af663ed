#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli restore NAME: a dated copy put back.
class RestoreCommand final : public Command {
public:
    RestoreCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
