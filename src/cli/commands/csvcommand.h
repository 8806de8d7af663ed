#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli csv FILE: the flights of a range as a spreadsheet table.
class CsvCommand final : public Command {
public:
    CsvCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
