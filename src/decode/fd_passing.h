// Passing an open file descriptor over a Unix socket (SCM_RIGHTS), with one
// packet of data. The decoder's client hands each decoder the write end of
// its stream this way, and the decode server receives it.
#pragma once

#include <cstddef>

#include <sys/types.h>

// Sends the `size` bytes at `data` with a copy of `fd` attached; true when
// the whole packet went. The caller still owns `fd`.
bool send_with_fd(int socket, const void *data, size_t size, int fd);

// Receives one packet of at most `size` bytes into `data`; returns what
// recvmsg returns (0: the other end has gone, -1 with errno). `fd` is the
// descriptor that came with it (close-on-exec, now the caller's), or -1
// when none did; any further ones are closed.
ssize_t receive_with_fd(int socket, void *data, size_t size, int &fd);
