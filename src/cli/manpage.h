#pragma once

#include <QString>

namespace velmarsk {

class CommandRegistry;

// The manual page velmarsk-cli(1) in German troff, made from the commands' declarations, so that
// it lists every command and option the program takes.
class ManPage {
public:
    static QString text(const CommandRegistry& registry);
};

}  // namespace velmarsk
