#include "tests/support/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace hz::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) {
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
    int result = posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        throw std::runtime_error("cannot start " + program);
}

ChildProcess::~ChildProcess() {
    Reap();
}

int ChildProcess::Reap() {
    int status = 0;
    bool exited = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
    pid = -1;
    return exited ? WEXITSTATUS(status) : -1;
}

ProgramResult ChildProcess::Wait() {
    ProgramResult result;
    result.status = Reap();
    result.out = ReadFileBytes(outputs.File("out"));
    result.err = ReadFileBytes(outputs.File("err"));
    return result;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    return ChildProcess(program, arguments).Wait();
}

} // namespace hz::test
