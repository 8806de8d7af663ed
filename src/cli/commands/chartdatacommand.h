#pragma once

#include "command.h"

namespace velmarsk {

// velmarsk-cli chart-data: the series the chart window would draw.
class ChartDataCommand final : public Command {
public:
    ChartDataCommand();

protected:
    int execute(CommandContext& context) const override;
};

}  // namespace velmarsk
