#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli show POS: one flight as a JSON object.
class ShowCommand final : public Command {
public:
    ShowCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
