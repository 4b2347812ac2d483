#include "tests/workbook/child_process.h"

#include <array>
#include <exception>
#include <grp.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace hz::test {

namespace {

void WriteAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n <= 0)
            return;
        written += static_cast<std::size_t>(n);
    }
}

[[noreturn]] void RunChild(const std::function<std::string()>& body, bool asNobody, int out) {
    std::string result;
    try {
        if (asNobody && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            throw std::runtime_error("cannot drop root");
        result = body();
    } catch (const std::exception& error) {
        result = std::string("exception: ") + error.what();
    }
    WriteAll(out, result);
    // No destructors or exit handlers of the test runner's copy run in the child.
    _exit(0);
}

} // namespace

std::string RunInChild(const std::function<std::string()>& body, bool asNobody) {
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("cannot create a pipe");
    pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("cannot fork");
    if (child == 0) {
        close(fds[0]);
        RunChild(body, asNobody, fds[1]);
    }
    close(fds[1]);
    std::string output;
    std::array<char, 4096> buffer;
    ssize_t n;
    while ((n = read(fds[0], buffer.data(), buffer.size())) > 0)
        output.append(buffer.data(), static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the child process failed");
    return output;
}

} // namespace hz::test
