// quillbook-pack: makes ZIP and encrypted document packages. See --help.
#include "tools/quillbook-pack/PackTool.h"

#include <QStringList>

#include <cstdio>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// One line of standard input; on a terminal without echo, after a prompt on standard error.
std::optional<QString> ReadLine(const char* prompt)
{
    const bool terminal = ::isatty(STDIN_FILENO);
    termios saved{};
    if (terminal && ::tcgetattr(STDIN_FILENO, &saved) == 0) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        std::fputs(prompt, stderr);
    }
    std::string line;
    const bool got = bool(std::getline(std::cin, line));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputs("\n", stderr);
    }
    if (!got)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    PackTool::Io io;
    io.readPassphrase = [](bool confirm) -> std::optional<QString> {
        std::optional<QString> first = ReadLine("Passphrase: ");
        if (!first || !confirm || !::isatty(STDIN_FILENO))
            return first;
        const std::optional<QString> again = ReadLine("The same passphrase again: ");
        if (!again || *again != *first) {
            std::fputs("quillbook-pack: the two passphrases differ\n", stderr);
            return std::nullopt;
        }
        return first;
    };
    const int status = PackTool::Run(args, io);
    std::fputs(io.out.toLocal8Bit().constData(), stdout);
    std::fputs(io.err.toLocal8Bit().constData(), stderr);
    return status;
}
