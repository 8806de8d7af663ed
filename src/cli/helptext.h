#pragma once

#include <QString>

namespace velmarsk {

class CommandRegistry;

// The text of velmarsk-cli --help, made from the commands' declarations.
class HelpText {
public:
    static QString usage(const CommandRegistry& registry);
};

}  // namespace velmarsk
