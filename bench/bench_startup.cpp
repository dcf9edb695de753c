// Start-up: the time from starting the program with examples/demo.circuit
// to its first painted frame, against the same for a bare window of the
// same size, each a fresh process on the offscreen platform. Both programs
// write a line to standard output once painted; the time runs from the
// process's start to that line. Prints "RATIO startup_vs_empty_window
// <measured> 3" last.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string Folder(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Runs the program; the seconds until it printed its first byte, or -1.
double TimeToFirstOutput(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 0x1 /* O_WRONLY */, 0);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    double seconds = -1;
    if (rc == 0) {
        char byte;
        if (read(pipeFds[0], &byte, 1) == 1)
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        char rest[256];
        while (read(pipeFds[0], rest, sizeof rest) > 0) {
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            seconds = -1;
    }
    close(pipeFds[0]);
    return seconds;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int, char** argv) {
    const std::string bin = Folder(argv[0]);
    const std::string example = std::string(VORPEL_SOURCE_DIR) + "/examples/demo.circuit";
    char scratch[] = "/tmp/vorpel-bench-XXXXXX";
    if (!mkdtemp(scratch))
        return 1;
    // A scratch profile and Documents folder; the offscreen platform; exit
    // once painted.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("VORPEL_CONFIG_HOME", (std::string(scratch) + "/config").c_str(), 1);
    setenv("VORPEL_DOCUMENTS_HOME", (std::string(scratch) + "/documents").c_str(), 1);
    setenv("VORPEL_EXIT_AFTER_FIRST_PAINT", "1", 1);
    const std::vector<std::string> program = {bin + "/vorpel", example};
    const std::vector<std::string> bare = {bin + "/startup_baseline_window", "1280", "800"};
    // Warm both up (disk cache, font cache), then alternate.
    TimeToFirstOutput(program);
    TimeToFirstOutput(bare);
    std::vector<double> programTimes, bareTimes;
    for (int round = 0; round < 9; ++round) {
        double p = TimeToFirstOutput(program);
        double b = TimeToFirstOutput(bare);
        if (p < 0 || b < 0) {
            std::printf("a run failed\n");
            return 1;
        }
        programTimes.push_back(p);
        bareTimes.push_back(b);
    }
    std::string cleanup = std::string("rm -rf '") + scratch + "'";
    if (std::system(cleanup.c_str()) != 0)
        std::printf("could not remove %s\n", scratch);
    double p = Median(programTimes), b = Median(bareTimes);
    std::printf("vorpel with demo.circuit: %.1f ms to the first painted frame\n", p * 1000);
    std::printf("bare window:              %.1f ms\n", b * 1000);
    std::printf("RATIO startup_vs_empty_window %.3f 3\n", p / b);
    return 0;
}
