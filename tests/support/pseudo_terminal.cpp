#include "support/pseudo_terminal.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kelnf::test {

PseudoTerminal::PseudoTerminal() {
    char name[128];
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    path_ = name;
    portName_ = path_.substr(std::string("/dev/").size());
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() {
    if (master_ >= 0)
        close(master_);
    close(slave_);
}

void PseudoTerminal::Send(const std::string &bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t put = write(master_, bytes.data() + sent, bytes.size() - sent);
        if (put > 0) {
            sent += static_cast<std::size_t>(put);
        } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("write to the master failed");
        } else {
            pollfd fd = {master_, POLLOUT, 0};
            poll(&fd, 1, 100);
        }
    }
}

std::string PseudoTerminal::Receive(std::size_t expected, std::chrono::milliseconds limit) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (got.size() < expected) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd fd = {master_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[256];
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

std::string PseudoTerminal::Drain(std::chrono::milliseconds quiet) {
    std::string got;
    for (;;) {
        pollfd fd = {master_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(quiet.count())) <= 0)
            return got;
        char buffer[256];
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0)
            return got;
        got.append(buffer, static_cast<std::size_t>(n));
    }
}

termios PseudoTerminal::SlaveAttributes() const {
    termios attributes{};
    if (tcgetattr(slave_, &attributes) != 0)
        throw std::runtime_error("tcgetattr on the slave failed");
    return attributes;
}

bool PseudoTerminal::Exclusive() const {
    int exclusive = 0;
    if (ioctl(slave_, TIOCGEXCL, &exclusive) != 0)
        throw std::runtime_error("TIOCGEXCL on the slave failed");
    return exclusive != 0;
}

int PseudoTerminal::PendingTowardsDriver() const {
    int waiting = 0;
    ioctl(slave_, FIONREAD, &waiting);
    return waiting;
}

void PseudoTerminal::CloseMaster() {
    if (master_ >= 0)
        close(master_);
    master_ = -1;
}

std::string Bytes(std::initializer_list<uint8_t> bytes) {
    std::string text;
    for (uint8_t byte : bytes)
        text.push_back(static_cast<char>(byte));
    return text;
}

} // namespace kelnf::test
