// The parser, --help and the manual page all come from the commands' declarations: every command
// and every option the registry holds is taken by the parser and stands in both texts.
#include "command.h"
#include "commandline.h"
#include "commandregistry.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace velmarsk {
namespace {

// A program's standard output, run without any display to connect to.
QString run(const QString& program, const QStringList& args, int* exit, QString* err = nullptr) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {};
    *exit = p.exitCode();
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString runCli(const QStringList& args, int* exit) {
    return run(QStringLiteral(VELMARSK_CLI_PATH), args, exit);
}

// The lines of a part of the help: from a heading line to the next empty line.
QStringList helpSection(const QString& help, const QString& heading) {
    const QStringList lines = help.split(QLatin1Char('\n'));
    const qsizetype start = lines.indexOf(heading);
    if (start < 0) return {};
    QStringList section;
    for (qsizetype i = start + 1; i < lines.size() && !lines.at(i).isEmpty(); ++i) section << lines.at(i);
    return section;
}

// The manual page as the reader sees its words: fonts dropped, escaped hyphens plain.
QString manText() {
    QFile f(QStringLiteral(VELMARSK_CLI_MANPAGE));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(f.readAll());
    text.remove(QRegularExpression(QStringLiteral("\\\\f[BIR]")));
    return text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
}

// The terms of the manual page's entries in one section (the line after each .TP), in order.
QStringList manTerms(const QString& man, const QString& section) {
    const qsizetype start = man.indexOf(QStringLiteral(".SH ") + section + QLatin1Char('\n'));
    if (start < 0) return {};
    const qsizetype end = man.indexOf(QStringLiteral("\n.SH "), start + 1);
    const QStringList lines = man.mid(start, end < 0 ? -1 : end - start).split(QLatin1Char('\n'));
    QStringList terms;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (lines.at(i) == QLatin1String(".TP")) terms << lines.at(i + 1);
    return terms;
}

bool startsWithWord(const QString& line, const QString& word) {
    return line.startsWith(word) && (line.size() == word.size() || line.at(word.size()) == QLatin1Char(' '));
}

bool anyStartsWithWord(const QStringList& lines, const QString& word) {
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&](const QString& l) { return startsWithWord(l, word); });
}

bool anyContains(const QStringList& lines, const QString& text) {
    return std::any_of(lines.cbegin(), lines.cend(), [&](const QString& l) { return l.contains(text); });
}

TEST(Usage, EveryCommandAndOptionStandsInTheHelpAndTheManualPage) {
    const CommandRegistry registry;
    int exit = -1;
    const QString help = runCli({QStringLiteral("--help")}, &exit);
    ASSERT_EQ(exit, 0);
    const QString man = manText();
    ASSERT_FALSE(man.isEmpty()) << VELMARSK_CLI_MANPAGE;

    const QStringList helpCommands = helpSection(help, QStringLiteral("Befehle:"));
    const QStringList manCommands = manTerms(man, QStringLiteral("BEFEHLE"));
    ASSERT_GE(registry.commands().size(), 20u);
    for (const auto& c : registry.commands()) {
        SCOPED_TRACE(c->name().toStdString());
        EXPECT_TRUE(anyStartsWithWord(helpCommands, QStringLiteral("  ") + c->name()));
        EXPECT_TRUE(anyStartsWithWord(manCommands, c->name()));
        // A command's options: in its own part of the help, and as entries of the manual page.
        const QStringList helpOptions = helpSection(help, QStringLiteral("Optionen von %1:").arg(c->name()));
        for (const CommandOption& o : c->options()) {
            SCOPED_TRACE(o.name.toStdString());
            EXPECT_TRUE(anyStartsWithWord(helpOptions, QStringLiteral("  ") + o.name));
            EXPECT_TRUE(anyStartsWithWord(manCommands, o.name));
        }
    }
    const QStringList helpGlobal = helpSection(help, QStringLiteral("Optionen:"));
    const QStringList manGlobal = manTerms(man, QStringLiteral("OPTIONEN"));
    for (const CommandOption& o : registry.globalOptions()) {
        SCOPED_TRACE(o.name.toStdString());
        EXPECT_TRUE(anyContains(helpGlobal, o.name));
        EXPECT_TRUE(anyContains(manGlobal, o.name));
    }
    const QStringList manStatus = manTerms(man, QStringLiteral("EXIT-STATUS"));
    for (const auto& s : CommandRegistry::exitStatuses()) {
        EXPECT_TRUE(manStatus.contains(QString::number(s.code))) << s.code;
        EXPECT_TRUE(help.contains(QString::number(s.code) + QLatin1Char(' ') + s.meaning)) << s.code;
    }
}

// The declarations drive the parser: each option is taken with the command that declares it and
// refused with one that does not, and the number of arguments follows the declared ones.
TEST(Usage, TheParserTakesWhatEachCommandDeclares) {
    const CommandRegistry registry;
    const Command* withoutOptions = registry.find(QStringLiteral("list"));
    ASSERT_NE(withoutOptions, nullptr);
    ASSERT_TRUE(withoutOptions->options().isEmpty());
    for (const auto& c : registry.commands()) {
        SCOPED_TRACE(c->name().toStdString());
        QStringList args{c->name()};
        for (int i = 0; i < c->minArguments(); ++i) args << QStringLiteral("1");
        QString error;
        const auto plain = CommandLine::parse(registry, args, &error);
        ASSERT_TRUE(plain) << error.toStdString();
        EXPECT_EQ(plain->command, c.get());
        EXPECT_FALSE(CommandLine::parse(
            registry, args + QStringList(c->maxArguments() + 1 - c->minArguments(), QStringLiteral("1")),
            &error));
        for (const CommandOption& o : c->options()) {
            SCOPED_TRACE(o.name.toStdString());
            QStringList withOption = args;
            withOption << o.name;
            if (o.takesValue()) withOption << QStringLiteral("1");
            const auto parsed = CommandLine::parse(registry, withOption, &error);
            ASSERT_TRUE(parsed) << error.toStdString();
            EXPECT_TRUE(parsed->options.contains(o.name));
            EXPECT_EQ(parsed->args.size(), c->minArguments());
            withOption.replace(0, withoutOptions->name());
            withOption.erase(withOption.begin() + 1, withOption.begin() + 1 + c->minArguments());
            EXPECT_FALSE(CommandLine::parse(registry, withOption, &error));
            EXPECT_TRUE(error.contains(o.name)) << error.toStdString();
        }
    }
}

// --version and --help come before anything needs a display; without them the window program
// still ends for want of one.
TEST(Usage, BothProgramsTellTheirVersionWithoutADisplay) {
    const QString app = QStringLiteral(VELMARSK_APP_PATH);
    for (const auto& [program, name] :
         {std::pair{app, "velmarsk"}, std::pair{QStringLiteral(VELMARSK_CLI_PATH), "velmarsk-cli"}}) {
        SCOPED_TRACE(name);
        int exit = -1;
        EXPECT_EQ(run(program, {QStringLiteral("--version")}, &exit),
                  QString::fromLatin1(name) + QStringLiteral(" " VELMARSK_VERSION "\n"));
        EXPECT_EQ(exit, 0);
    }
    int exit = -1;
    const QString help =
        run(app, {QStringLiteral("--datadir"), QStringLiteral("/nowhere"), QStringLiteral("--help")}, &exit);
    EXPECT_EQ(exit, 0);
    EXPECT_TRUE(help.startsWith(QStringLiteral("Aufruf: velmarsk [--datadir ORDNER]"))) << help.toStdString();
    EXPECT_TRUE(help.contains(QStringLiteral("--version"))) << help.toStdString();
    QString err;
    EXPECT_TRUE(run(app, {}, &exit, &err).isEmpty());
    EXPECT_EQ(exit, 1);
    EXPECT_TRUE(err.contains(QStringLiteral("Keine grafische Anzeige"))) << err.toStdString();
}

}  // namespace
}  // namespace velmarsk
