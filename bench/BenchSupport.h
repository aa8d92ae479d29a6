#pragma once

// What the benchmark programs share: the best time of a few rounds, the
// command line (--smoke, --megabytes=N) and a private user folder.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>

namespace Bench {

// The shortest of rounds runs of work, each after its own setUp, in milliseconds.
inline double BestMs(int rounds, const std::function<void()>& setUp, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        setUp();
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}

struct Arguments {
    bool smoke = false;
    int megabytes = 50;
};

// --smoke and --megabytes=N; the size of a smoke run is smokeMegabytes.
inline Arguments ReadArguments(int argc, char** argv, int smokeMegabytes = 2)
{
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--smoke")
            a.smoke = true;
        else if (arg.rfind("--megabytes=", 0) == 0)
            a.megabytes = std::max(1, std::stoi(arg.substr(12)));
    }
    if (a.smoke)
        a.megabytes = smokeMegabytes;
    return a;
}

// A user folder and settings of the run's own, offscreen; set before the application object exists.
struct PrivateHome {
    QTemporaryDir dir;
    PrivateHome()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QUILLBOOK_HOME", (dir.path() + QStringLiteral("/user")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
    }
    QString path() const { return dir.path(); }
};

} // namespace Bench
