// Link-time stand-ins for read and lseek (the test binary is linked with --wrap for both), so
// that short reads, interrupted reads and failed seeks, which a regular file on a healthy disk
// never produces, can be put in the reader's way.

#include "SysCallFaults.h"

#include <cerrno>

extern "C" ssize_t __real_read(int fd, void* buf, size_t count);
extern "C" off_t __real_lseek(int fd, off_t offset, int whence);

SysCallFaults g_sysCallFaults;

extern "C" ssize_t __wrap_read(int fd, void* buf, size_t count)
{
    SysCallFaults& f = g_sysCallFaults;
    if (!f.active) {
        return __real_read(fd, buf, count);
    }
    if (f.interruptFirstRead) {
        f.interruptFirstRead = false;
        errno = EINTR;
        return -1;
    }
    if (f.bytesBeforeEnd >= 0 && f.bytesDelivered >= f.bytesBeforeEnd) {
        if (f.failAtEnd) {
            errno = EIO;
            return -1;
        }
        return 0;
    }
    if (f.maxChunk > 0 && count > f.maxChunk) {
        count = f.maxChunk;
    }
    if (f.bytesBeforeEnd >= 0 && count > static_cast<size_t>(f.bytesBeforeEnd - f.bytesDelivered)) {
        count = static_cast<size_t>(f.bytesBeforeEnd - f.bytesDelivered);
    }
    const ssize_t n = __real_read(fd, buf, count);
    if (n > 0) {
        f.bytesDelivered += n;
    }
    return n;
}

extern "C" off_t __wrap_lseek(int fd, off_t offset, int whence)
{
    if (g_sysCallFaults.active && g_sysCallFaults.failSeekEnd && whence == SEEK_END) {
        errno = ESPIPE;
        return -1;
    }
    return __real_lseek(fd, offset, whence);
}
