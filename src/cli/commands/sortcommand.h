#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli sort: the files sorted and compacted, with the three figures of the result.
class SortCommand final : public Command {
public:
    SortCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
