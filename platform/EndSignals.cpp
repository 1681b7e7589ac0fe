#include "platform/EndSignals.h"

#include "common/Log.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int wakeFds[2] = {-1, -1}; // the handler writes into [0], the notifier reads [1]
volatile sig_atomic_t firstRequest = 0;

void OnEndSignal(int number) {
    const int saved = errno;
    // Only what is safe inside a handler: the next one of this kind ends the process as by default.
    std::signal(number, SIG_DFL);
    if (firstRequest == 0) firstRequest = number;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[0], &byte, 1);
    errno = saved;
}

} // namespace

void EndSignals::Install() {
    if (wakeFds[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0) {
        qCWarning(lcPlatform) << "requests to end by signal are not taken over:" << std::strerror(errno);
        wakeFds[0] = wakeFds[1] = -1;
        return;
    }
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals)
        sigaction(number, &action, nullptr);
}

int EndSignals::Requested() {
    return firstRequest;
}

EndSignals::EndSignals(QObject *parent) : QObject(parent) {
    Install();
    if (wakeFds[1] < 0) return;
    // A request noted before now is still in the socket: the notifier reports it at the first chance.
    notifier_ = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::ReadRequest);
}

EndSignals::~EndSignals() {
    if (!notifier_) return;
    for (int number : kSignals)
        std::signal(number, SIG_DFL);
    ::close(wakeFds[0]);
    ::close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
    firstRequest = 0;
}

void EndSignals::ReadRequest() {
    unsigned char byte = 0;
    while (::read(wakeFds[1], &byte, 1) == 1) {
        qCInfo(lcPlatform) << "asked to end by signal" << int(byte);
        Q_EMIT EndRequested(int(byte));
    }
}
