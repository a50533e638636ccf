// SPDX-FileCopyrightText: 2026 The Telvaronix developers
// SPDX-License-Identifier: MIT
//
// Preloaded into Wine for the tests: a pseudo-terminal that stands in for a device on a COM
// port reports its modem lines as all off, where Linux refuses the request (ENOTTY).
//
// Wine 10 ends a pending WaitCommEvent as cancelled whenever it cannot read the modem lines,
// even when the program waits for received characters only. A cancelled wait is how Windows
// reports a lost device, so the program would close the port after every opening. A real
// serial port has modem lines, and this is not needed there.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>

static int (*system_ioctl)(int, unsigned long, ...);

__attribute__((constructor)) static void find_system_ioctl(void)
{
    system_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);

    const int result = system_ioctl(fd, request, argument);
    if (result == -1 && request == TIOCMGET && errno == ENOTTY) {
        *(int *)argument = 0;
        return 0;
    }
    return result;
}
