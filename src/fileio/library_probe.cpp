#include "fileio/library_probe.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

#include <IL/il.h>

namespace {
std::atomic<unsigned> timeout_seconds{20};

// Exit codes of the child. Anything else (a signal, a sanitizer's report)
// means the load is not safe.
constexpr int CHILD_LOADED = 0;
constexpr int CHILD_FAILED = 3;
} // namespace

void set_probe_timeout(unsigned seconds) { timeout_seconds = seconds ? seconds : 1; }

ProbeResult probe_library_load(const char *path)
{
    const int saved_errno = errno;
    const pid_t child = fork();
    if (child < 0) {
        // Cannot probe (out of processes): fall back to trusting the library.
        errno = saved_errno;
        return ProbeResult::Loads;
    }
    if (child == 0) {
        // In the child: nothing but the library and an exit that skips
        // every handler of the parent.
        signal(SIGALRM, SIG_DFL);
        alarm(timeout_seconds);
        // Walk the file's images and release them the way the program will,
        // so that damage the library only trips over later shows here too.
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        const bool loaded = ilLoadImage(path) != IL_FALSE;
        if (loaded) {
            const ILint following = ilGetInteger(IL_NUM_IMAGES);
            for (ILint i = 0; i <= following && i < 100000; ++i) {
                ilBindImage(image);
                if (!ilActiveImage(static_cast<ILuint>(i)))
                    break;
                ILuint copy = ilCloneCurImage();
                if (copy)
                    ilDeleteImages(1, &copy);
            }
        }
        ilDeleteImages(1, &image);
        _exit(loaded ? CHILD_LOADED : CHILD_FAILED);
    }
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    errno = saved_errno;
    if (waited != child || !WIFEXITED(status))
        return ProbeResult::Dangerous;
    switch (WEXITSTATUS(status)) {
    case CHILD_LOADED: return ProbeResult::Loads;
    case CHILD_FAILED: return ProbeResult::Fails;
    default: return ProbeResult::Dangerous;
    }
}
