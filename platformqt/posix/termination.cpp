#include "platformqt/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace korvane::platform {
namespace {

// The signal handler may only write to a descriptor; the event loop reads it.
int wakeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(wakeFds[0], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0) return;
    notifier_ = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(wakeFds[1], buffer, sizeof buffer) > 0) {
        }
        emit requested();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) ::sigaction(s, &action, nullptr);
}

TerminationWatcher::~TerminationWatcher() {
    for (int s : kSignals) ::signal(s, SIG_DFL);
    delete notifier_;
    for (int& fd : wakeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

}  // namespace korvane::platform
