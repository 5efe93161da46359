// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time and peak memory of the whole process: the program's window (prompts answered by
// script, bank loaded, heading block written and flushed, window shown and painted once) against a
// minimal window of the same size, and against that window after the two appends and syncs the
// heading block needs at the least. Each process is started here with a fresh temporary home
// folder and timed from fork to the first paint of its window (a moment it notes, Stamps.h) and to
// its exit; its peak resident size comes from wait4. The other moments each process notes say where
// its time goes.
#include "BenchSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

using namespace tolvanex::bench;

namespace {

constexpr int kDefaultRuns = 11;

std::filesystem::path ownFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

struct ProcessRun {
    // From the start to the first paint, and to the exit.
    double ms = 0;
    double wholeMs = 0;
    double peakMb = 0;
    // The moments the process noted, in milliseconds since it was started, in their order.
    std::vector<std::pair<std::string, double>> moments;
};

// The moments a process wrote, in milliseconds since start.
std::vector<std::pair<std::string, double>> readMoments(const std::filesystem::path& file, Clock::time_point start)
{
    std::vector<std::pair<std::string, double>> moments;
    std::ifstream in(file);
    std::string name;
    long long at = 0;
    const long long from = std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    while (in >> name >> at)
        moments.emplace_back(name, static_cast<double>(at - from) / 1e6);
    std::sort(moments.begin(), moments.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    return moments;
}

// Runs the program with HOME (and the runtime folder) in a fresh temporary folder; `check` looks
// at the folder after the run.
ProcessRun runProcess(const std::filesystem::path& program, const char* argument,
    const std::function<bool(const std::filesystem::path&)>& check)
{
    TempHome home;
    const std::filesystem::path stamps = home.path / "moments.txt";
    ::setenv("TOLVANEX_BENCH_STAMPS", stamps.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.path.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) {
        const std::string path = program.string();
        char* const args[] = { const_cast<char*>(path.c_str()), const_cast<char*>(argument), nullptr };
        ::execv(path.c_str(), args);
        std::perror("execv");
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait4");
        std::exit(2);
    }
    ProcessRun run;
    run.wholeMs = millisecondsSince(start);
    run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.moments = readMoments(stamps, start);
    run.moments.emplace_back("end", run.wholeMs);
    // The first paint is where start-up ends; what a process does after it is not waited for.
    run.ms = run.wholeMs;
    for (const auto& [name, at] : run.moments)
        if (name == "paint")
            run.ms = at;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !check(home.path)) {
        std::fprintf(stderr, "bench: %s failed (status %d)\n", program.c_str(), status);
        std::exit(2);
    }
    return run;
}

bool headingWritten(const std::filesystem::path& home)
{
    const std::filesystem::path master = home / "tolvanex" / "masterFile_Bench_Student.txt";
    std::error_code error;
    return std::filesystem::file_size(master, error) > 0 && !error;
}

// Where one program's time goes: each moment with the median time since the moment before it.
struct Phases {
    std::vector<std::string> order;
    std::map<std::string, std::vector<double>> spans;
    void add(const ProcessRun& run)
    {
        double before = 0;
        for (const auto& [name, at] : run.moments) {
            if (!spans.count(name))
                order.push_back(name);
            spans[name].push_back(at - before);
            before = at;
        }
    }
    void print(const char* who) const
    {
        std::printf("     %-9s", who);
        for (const std::string& name : order)
            std::printf(" %s %+.2f", name.c_str(), median(spans.at(name)));
        std::printf("  (ms, medians)\n");
    }
};

} // namespace

int main(int argc, char** argv)
{
    // "runs=N": more rounds, for a machine under load.
    int runs = kDefaultRuns;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "runs=", 5) == 0)
            runs = std::max(1, std::atoi(argv[i] + 5));
    const std::filesystem::path folder = ownFolder();
    const std::filesystem::path program = folder / "bench_startup_program";
    const std::filesystem::path minimal = folder / "bench_startup_minimal";
    auto anything = [](const std::filesystem::path&) { return true; };
    // One untimed run of each: the system's caches hold the libraries and fonts afterwards.
    runProcess(minimal, nullptr, anything);
    runProcess(minimal, "heading", headingWritten);
    runProcess(program, nullptr, headingWritten);
    std::vector<double> ourMs;
    std::vector<double> baseMs;
    std::vector<double> fairMs;
    std::vector<double> ourWholeMs;
    std::vector<double> baseWholeMs;
    std::vector<double> ourMb;
    std::vector<double> baseMb;
    Phases ourPhases;
    Phases basePhases;
    Phases fairPhases;
    for (int i = 0; i < runs; ++i) {
        const ProcessRun base = runProcess(minimal, nullptr, anything);
        const ProcessRun fair = runProcess(minimal, "heading", headingWritten);
        const ProcessRun ours = runProcess(program, nullptr, headingWritten);
        baseMs.push_back(base.ms);
        baseMb.push_back(base.peakMb);
        fairMs.push_back(fair.ms);
        ourMs.push_back(ours.ms);
        ourWholeMs.push_back(ours.wholeMs);
        baseWholeMs.push_back(base.wholeMs);
        ourMb.push_back(ours.peakMb);
        basePhases.add(base);
        fairPhases.add(fair);
        ourPhases.add(ours);
    }
    bool met = printRatio("B1", "start-up to the first paint", { median(ourMs), median(baseMs), runs }, 1.15);
    met = printRatio(
              "B1h", "the same, against the window + heading's syncs", { median(ourMs), median(fairMs), runs }, 1.10)
        && met;
    std::printf("     whole process, start to exit: %.2f x (ours %.3f ms, baseline %.3f ms)\n",
        median(ourWholeMs) / median(baseWholeMs), median(ourWholeMs), median(baseWholeMs));
    basePhases.print("window");
    fairPhases.print("+heading");
    ourPhases.print("program");
    const double ours = median(ourMb);
    const double base = median(baseMb);
    const bool memoryMet = ours <= base + 8;
    std::printf("%-4s %-44s %+6.2f MB (ours %9.3f MB, baseline %9.3f MB, median of %d)   goal <= +8 MB   %s\n", "B2",
        "peak memory of the start-up", ours - base, ours, base, runs, memoryMet ? "met" : "MISSED");
    return met && memoryMet ? 0 : 1;
}
