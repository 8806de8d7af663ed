// Writes the manual page velmarsk-cli(1) from the commands' declarations: run by the build.
#include "commandregistry.h"
#include "manpage.h"
#include "storage/savefile.h"

#include <QString>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: velmarsk-cli-manpage FILE\n", stderr);
        return 2;
    }
    const velmarsk::CommandRegistry registry;
    const QString file = QString::fromLocal8Bit(argv[1]);
    QString error;
    if (!velmarsk::saveFileAtomically(file, velmarsk::ManPage::text(registry).toUtf8(), &error)) {
        std::fprintf(stderr, "velmarsk-cli-manpage: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
