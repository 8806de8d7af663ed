#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli rebuild-index: the index made anew while the logbook opens.
class RebuildIndexCommand final : public Command {
public:
    RebuildIndexCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
