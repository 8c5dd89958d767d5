/* Preloaded into wheelctl by the tests: a file system that cannot swap two
 * files (renameat2 with RENAME_EXCHANGE fails with EINVAL, as on some
 * network and FUSE file systems) and, with WHEEL_FAULT_NO_LINK set, has no
 * hard links either. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, unsigned int flags)
{
    if (flags & RENAME_EXCHANGE) {
        errno = EINVAL;
        return -1;
    }
    int (*real)(int, const char*, int, const char*, unsigned int) =
        (int (*)(int, const char*, int, const char*, unsigned int))dlsym(RTLD_NEXT, "renameat2");
    return real(olddirfd, oldpath, newdirfd, newpath, flags);
}

int link(const char* from, const char* to)
{
    if (getenv("WHEEL_FAULT_NO_LINK")) {
        errno = EPERM;
        return -1;
    }
    int (*real)(const char*, const char*) = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "link");
    return real(from, to);
}
