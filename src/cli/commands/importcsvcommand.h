#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli import-csv FILE: the flights of a CSV table that the logbook lacks.
class ImportCsvCommand final : public Command {
public:
    ImportCsvCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
