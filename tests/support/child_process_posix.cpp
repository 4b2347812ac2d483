#include "tests/support/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace hz::test {

struct ChildProcess::Running {
    pid_t pid = -1;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
    : running(std::make_unique<Running>()) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::string outPath = outputs.File("out");
    std::string errPath = outputs.File("err");
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int result = posix_spawn(&running->pid, program.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        throw std::runtime_error("cannot start " + program);
}

ChildProcess::~ChildProcess() {
    Reap();
}

int ChildProcess::Reap() {
    int status = 0;
    bool exited = running->pid > 0 && waitpid(running->pid, &status, 0) == running->pid && WIFEXITED(status);
    running->pid = -1;
    return exited ? WEXITSTATUS(status) : -1;
}

} // namespace hz::test
