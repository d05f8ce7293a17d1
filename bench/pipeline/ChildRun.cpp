#include "ChildRun.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace imvexa::bench {

namespace {

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

[[noreturn]] void ExecChild(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

RunMeasure RunChild(const std::vector<std::string>& arguments) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) ExecChild(arguments);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error("wait4 failed");
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    RunMeasure measure;
    measure.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    measure.seconds = took.count();
    measure.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    measure.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss counts KiB
    return measure;
}

}  // namespace imvexa::bench
