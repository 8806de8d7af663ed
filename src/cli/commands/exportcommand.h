#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli export POS FILE: one flight appended to an export file.
class ExportCommand final : public Command {
public:
    ExportCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
