#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli search: the search window's criteria as options, every hit or the next one.
class SearchCommand final : public Command {
public:
    SearchCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
