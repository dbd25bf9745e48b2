#include "decode/fd_passing.h"

#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

bool send_with_fd(int socket, const void *data, size_t size, int fd)
{
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    iovec part{const_cast<void *>(data), size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr *c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(c), &fd, sizeof(int));
    return sendmsg(socket, &message, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
}

ssize_t receive_with_fd(int socket, void *data, size_t size, int &fd)
{
    fd = -1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    iovec part{data, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    if (n < 0)
        return n;
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
            continue;
        // A peer may attach more than one; keep the first, close the rest.
        const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int received = -1;
            std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
            if (fd < 0)
                fd = received;
            else
                close(received);
        }
    }
    return n;
}
