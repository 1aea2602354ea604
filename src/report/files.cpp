#include "report/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Clears O_NONBLOCK and wraps fd in a stdio stream; closes fd on failure.
std::FILE *stream_from(int fd, const char *mode)
{
    int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        close(fd);
        return nullptr;
    }
    std::FILE *stream = fdopen(fd, mode);
    if (stream == nullptr)
        close(fd);
    return stream;
}

} // namespace

std::FILE *open_regular_for_reading(const char *path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd == -1)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) == -1 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    return stream_from(fd, "r");
}

std::FILE *open_for_append(const char *path)
{
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd == -1)
        return nullptr;
    return stream_from(fd, "a");
}
