// Starting and waiting for the helper programs of the end-to-end tests.
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char **environ;

namespace child_process {
namespace {

std::vector<char *> c_strings(std::vector<std::string> &strings) {
    std::vector<char *> out;
    for (std::string &s : strings) out.push_back(&s[0]);
    out.push_back(nullptr);
    return out;
}

} // namespace

bool in_path(const char *program) {
    const char *path = getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

std::vector<std::string> environment_without(const std::vector<std::string> &names,
                                             const std::vector<std::string> &extra) {
    std::vector<std::string> env;
    for (char **e = environ; *e != nullptr; ++e) {
        bool dropped = false;
        for (const std::string &name : names)
            dropped = dropped || strncmp(*e, name.c_str(), name.size()) == 0;
        if (!dropped) env.push_back(*e);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env, int out_fd, int keep_fd,
            int err_fd) {
    std::vector<char *> args = c_strings(argv), vars = c_strings(env);
    pid_t pid = fork();
    if (pid != 0) return pid;
    int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    dup2(out_fd >= 0 ? out_fd : null_fd, 1);
    if (err_fd >= 0) {
        dup2(err_fd, 2);
    } else if (argv[0] != "/proc/self/exe") {
        dup2(null_fd, 2); // helpers keep quiet
    }
    for (int fd = 3; fd < 256; ++fd) {
        if (fd != keep_fd && fd != 1 && fd != 2) close(fd);
    }
    execvpe(args[0], args.data(), vars.data());
    _exit(127);
}

int wait_for(pid_t pid, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (wait_for(pid, 5.0) == -1) kill(pid, SIGKILL);
}

std::string run(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                int *status) {
    int fds[2];
    if (pipe(fds) != 0) return "";
    pid_t pid = spawn(argv, env, fds[1]);
    close(fds[1]);
    std::string out;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buffer[65536];
        ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0) break;
        out.append(buffer, size_t(got));
    }
    close(fds[0]);
    int code = wait_for(pid, 5.0);
    if (status != nullptr) *status = code;
    return out;
}

void error_capture::open() {
    fd = mkstemp(path);
}

std::string error_capture::take() {
    std::string text;
    if (fd < 0) return text;
    char buffer[4096];
    ssize_t got;
    lseek(fd, 0, SEEK_SET);
    while ((got = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(got));
    close(fd);
    unlink(path);
    fd = -1;
    return text;
}

} // namespace child_process
