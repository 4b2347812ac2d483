#include "tests/support/held_file.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace hz::test {

struct HeldFile::Holder {
    pid_t child = -1;
    int releaseFd = -1;
};

HeldFile::HeldFile(const std::string& path) : holder(std::make_unique<Holder>()) {
    int ready[2];
    int release[2];
    if (pipe(ready) != 0 || pipe(release) != 0)
        throw std::runtime_error("pipe");
    holder->child = fork();
    if (holder->child == 0) {
        close(ready[0]);
        close(release[1]);
        int fd = open(path.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        char done = fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
        (void)!write(ready[1], &done, 1);
        (void)!read(release[0], &done, 1);
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    holder->releaseFd = release[1];
    char done = 'n';
    (void)!read(ready[0], &done, 1);
    close(ready[0]);
    if (done != 'y')
        throw std::runtime_error("cannot lock " + path);
}

HeldFile::~HeldFile() {
    close(holder->releaseFd);
    waitpid(holder->child, nullptr, 0);
}

} // namespace hz::test
