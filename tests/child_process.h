// Helper programs for the end-to-end tests: starting them with a chosen environment, waiting
// for them with a deadline, and reading what they print.
#ifndef ZELVAN_TESTS_CHILD_PROCESS_H
#define ZELVAN_TESTS_CHILD_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace child_process {

// True when `program` is found in PATH.
bool in_path(const char *program);

// This process's environment less the variables named (NAME=), plus `extra` (NAME=value).
std::vector<std::string> environment_without(const std::vector<std::string> &names,
                                             const std::vector<std::string> &extra = {});

// Starts `argv` (argv[0] looked up in PATH) with `env` (all of it) and its output sent to
// `out_fd` (-1: /dev/null); `keep_fd` stays open in it; `err_fd` takes its standard error
// (-1: /dev/null, but the test program itself keeps the test's own).
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env, int out_fd,
            int keep_fd = -1, int err_fd = -1);

// Waits for `pid` until `seconds` pass; then kills it. The exit status, or -1.
int wait_for(pid_t pid, double seconds);

// Ends `pid` with SIGTERM, and SIGKILL when it does not end within 5 seconds.
void stop(pid_t pid);

// Runs a command with `env` and returns its standard output (`input` is its standard input);
// `status` receives the exit status.
std::string run(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                int *status = nullptr);

// The child's standard error, written to a temporary file while it runs.
struct error_capture {
    int fd = -1;
    char path[64] = "/tmp/zelvan-child-errors-XXXXXX";
    void open();
    std::string take(); // reads and removes it
};

} // namespace child_process

#endif
