// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time and peak memory of the whole process: the program's window (prompts answered by
// script, bank loaded, heading block written and flushed, window shown and painted once) against a
// minimal window of the same size. Each process is started here with a fresh temporary home
// folder and timed from fork to its exit; its peak resident size comes from wait4.
#include "BenchSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

using namespace tolvanex::bench;

namespace {

constexpr int kRuns = 11;

std::filesystem::path ownFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

struct ProcessRun {
    double ms = 0;
    double peakMb = 0;
};

// Runs the program with HOME (and the runtime folder) in a fresh temporary folder; `check` looks
// at the folder after the run.
ProcessRun runProcess(
    const std::filesystem::path& program, const std::function<bool(const std::filesystem::path&)>& check)
{
    TempHome home;
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
        char* const args[] = { const_cast<char*>(path.c_str()), nullptr };
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
    run.ms = millisecondsSince(start);
    run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
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

} // namespace

int main()
{
    const std::filesystem::path folder = ownFolder();
    const std::filesystem::path program = folder / "bench_startup_program";
    const std::filesystem::path minimal = folder / "bench_startup_minimal";
    auto anything = [](const std::filesystem::path&) { return true; };
    // One untimed run of each: the system's caches hold the libraries and fonts afterwards.
    runProcess(minimal, anything);
    runProcess(program, headingWritten);
    std::vector<double> ourMs;
    std::vector<double> baseMs;
    std::vector<double> ourMb;
    std::vector<double> baseMb;
    for (int i = 0; i < kRuns; ++i) {
        const ProcessRun base = runProcess(minimal, anything);
        const ProcessRun ours = runProcess(program, headingWritten);
        baseMs.push_back(base.ms);
        baseMb.push_back(base.peakMb);
        ourMs.push_back(ours.ms);
        ourMb.push_back(ours.peakMb);
    }
    bool met = printRatio(
        "B1", "start-up to the first paint (whole process)", { median(ourMs), median(baseMs), kRuns }, 1.15);
    const double ours = median(ourMb);
    const double base = median(baseMb);
    const bool memoryMet = ours <= base + 8;
    std::printf("%-4s %-44s %+6.2f MB (ours %9.3f MB, baseline %9.3f MB, median of %d)   goal <= +8 MB   %s\n", "B2",
        "peak memory of the start-up", ours - base, ours, base, kRuns, memoryMet ? "met" : "MISSED");
    return met && memoryMet ? 0 : 1;
}
