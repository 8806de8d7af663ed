#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli backups: the dated copies in the folder Sicherung.
class BackupsCommand final : public Command {
public:
    BackupsCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
