#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli datadir: the folder a command works on.
class DatadirCommand final : public Command {
public:
    DatadirCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
