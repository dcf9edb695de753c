// Runs one of the program's command-line tools as a user does from a shell:
// its standard output and error together, and its exit status.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

// The exit status of `command` (run by the shell, 2>&1 added), or -1 when it
// did not end normally; what it printed goes to *output.
inline int RunCommand(const std::string& command, std::string* output) {
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return -1;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, p))
        output->append(buf, n);
    const int st = pclose(p);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}
