#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli generate N: invented flights, the same for the same seed.
class GenerateCommand final : public Command {
public:
    GenerateCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
