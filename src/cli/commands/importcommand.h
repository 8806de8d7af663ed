#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli import FILE: the flights of an export file that the logbook lacks.
class ImportCommand final : public Command {
public:
    ImportCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
