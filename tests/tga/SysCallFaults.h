#pragma once

#include <cstddef>
#include <sys/types.h>
#include <unistd.h>

// Faults injected into read and lseek while `active` is set; inactive calls pass straight through.
struct SysCallFaults {
    bool active = false;
    bool interruptFirstRead = false; // the first read fails with EINTR
    size_t maxChunk = 0;             // each read delivers at most this many bytes (0: no limit)
    ssize_t bytesBeforeEnd = -1;     // after this many bytes, reads report end of file (-1: never)
    bool failAtEnd = false;          // ... or fail with EIO instead
    bool failSeekEnd = false;        // seeking to the end fails with ESPIPE
    ssize_t bytesDelivered = 0;
};

extern SysCallFaults g_sysCallFaults;
