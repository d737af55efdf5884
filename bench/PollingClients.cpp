#include "PollingClients.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <strings.h>

namespace {

std::int64_t Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kAnswerTimeout = 5000 * kMs;

enum class Phase { Idle, Connecting, Sending, Reading };

struct Client
{
    int fd = -1;
    Phase phase = Phase::Idle;
    std::int64_t nextAt = 0;
    std::int64_t sentAt = 0;
    std::string path;
    std::string etag;
    std::string out;
    std::string in;
    in_addr from{};
};

// A header's value in a response head, by case-insensitive name.
std::string Header(const std::string& head, const char* name)
{
    const std::size_t length = std::strlen(name);
    std::size_t at = head.find("\r\n");
    while (at != std::string::npos) {
        const std::size_t line = at + 2;
        const std::size_t end = head.find("\r\n", line);
        const std::string text = head.substr(line, end == std::string::npos ? std::string::npos : end - line);
        if (text.size() > length && text[length] == ':' && ::strncasecmp(text.c_str(), name, length) == 0) {
            const std::size_t value = text.find_first_not_of(' ', length + 1);
            return value == std::string::npos ? std::string() : text.substr(value);
        }
        at = end;
    }
    return {};
}

class Clients
{
public:
    Clients(const PollPlan& plan, PollFigures& figures) : plan_(plan), figures_(figures) {}

    void Run()
    {
        const std::int64_t start = Now();
        end_ = start + std::int64_t(plan_.seconds) * 1000 * kMs;
        clients_.resize(std::size_t(plan_.clients));
        for (int i = 0; i < plan_.clients; ++i) {
            Client& c = clients_[std::size_t(i)];
            c.path = PollPaths()[std::size_t(i) % PollPaths().size()];
            // Spread over the first period, as phones come at any moment.
            c.nextAt = start + std::int64_t(i) * plan_.periodMs * kMs / plan_.clients;
            c.from.s_addr = htonl((127u << 24) | (std::uint32_t(1 + i / 250) << 8) | std::uint32_t(1 + i % 250));
        }
        // After the end only the answers still on their way are awaited.
        while (Now() < end_ + kAnswerTimeout && (Now() < end_ || Outstanding()))
            Step();
        for (Client& c : clients_)
            if (c.phase != Phase::Idle)
                Fail(c, "no answer before the end");
            else
                Close(c);
    }

private:
    bool Outstanding() const
    {
        return std::any_of(clients_.begin(), clients_.end(), [](const Client& c) { return c.phase != Phase::Idle; });
    }

    void Step()
    {
        const std::int64_t now = Now();
        std::int64_t wake = now + 10 * kMs;
        fds_.clear();
        owners_.clear();
        for (Client& c : clients_) {
            if (c.phase == Phase::Idle && now < end_ && c.nextAt <= now)
                Begin(c, now);
            if (c.phase == Phase::Idle) {
                wake = std::min(wake, c.nextAt);
                if (c.fd >= 0) // a kept connection the server may close
                    Watch(c, POLLIN);
                continue;
            }
            if (now - c.sentAt > kAnswerTimeout) {
                Fail(c, "no answer within 5 s");
                continue;
            }
            Watch(c, c.phase == Phase::Reading ? POLLIN : POLLOUT);
        }
        const int timeoutMs = int(std::max<std::int64_t>(0, (wake - now + kMs - 1) / kMs));
        if (::poll(fds_.data(), fds_.size(), timeoutMs) <= 0)
            return;
        for (std::size_t k = 0; k < fds_.size(); ++k)
            if (fds_[k].revents)
                Ready(*owners_[k], fds_[k].revents);
    }

    void Watch(Client& c, short events)
    {
        fds_.push_back(pollfd{c.fd, events, 0});
        owners_.push_back(&c);
    }

    void Begin(Client& c, std::int64_t now)
    {
        c.nextAt += plan_.periodMs * kMs;
        if (c.nextAt <= now) // fallen behind: the phone waits a period from now
            c.nextAt = now + plan_.periodMs * kMs;
        c.sentAt = now;
        c.in.clear();
        c.out = "GET " + c.path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(plan_.port) +
            "\r\nAccept: */*\r\n" + (c.etag.empty() ? std::string() : "If-None-Match: " + c.etag + "\r\n") + "\r\n";
        if (c.fd >= 0) {
            c.phase = Phase::Sending;
            return;
        }
        c.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr = c.from;
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(plan_.port);
        server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ++figures_.connects;
        if (c.fd < 0 || ::bind(c.fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            (::connect(c.fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0 && errno != EINPROGRESS)) {
            Fail(c, std::string("connect: ") + std::strerror(errno));
            return;
        }
        c.phase = Phase::Connecting;
    }

    void Ready(Client& c, short revents)
    {
        if (c.phase == Phase::Idle) { // the server closed a kept connection
            Close(c);
            return;
        }
        if (c.phase == Phase::Connecting) {
            int error = 0;
            socklen_t size = sizeof error;
            ::getsockopt(c.fd, SOL_SOCKET, SO_ERROR, &error, &size);
            if (error) {
                Fail(c, std::string("connect: ") + std::strerror(error));
                return;
            }
            c.phase = Phase::Sending;
        }
        if (c.phase == Phase::Sending) {
            const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN) {
                Fail(c, std::string("send: ") + std::strerror(errno));
                return;
            }
            c.out.erase(0, std::size_t(std::max<ssize_t>(n, 0)));
            if (c.out.empty())
                c.phase = Phase::Reading;
            return;
        }
        if (!(revents & (POLLIN | POLLHUP | POLLERR)))
            return;
        char buffer[65536];
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0) {
            Fail(c, n == 0 ? "closed before the whole answer" : std::string("recv: ") + std::strerror(errno));
            return;
        }
        c.in.append(buffer, std::size_t(n));
        Parse(c);
    }

    void Parse(Client& c)
    {
        const std::size_t headEnd = c.in.find("\r\n\r\n");
        if (headEnd == std::string::npos)
            return;
        const std::string head = c.in.substr(0, headEnd);
        const std::size_t length = std::size_t(std::atoll(Header(head, "Content-Length").c_str()));
        if (c.in.size() < headEnd + 4 + length)
            return;
        const int status = head.size() > 12 ? std::atoi(head.c_str() + 9) : 0;
        if (status == 200) {
            figures_.okNs.push_back(Now() - c.sentAt);
            c.etag = Header(head, "ETag");
        } else if (status == 304) {
            figures_.notModifiedNs.push_back(Now() - c.sentAt);
        } else {
            Fail(c, "status " + std::to_string(status));
            return;
        }
        c.phase = Phase::Idle;
        if (::strcasecmp(Header(head, "Connection").c_str(), "close") == 0)
            Close(c);
    }

    void Fail(Client& c, const std::string& why)
    {
        ++figures_.errors;
        if (figures_.firstError.empty())
            figures_.firstError = why;
        Close(c);
        c.phase = Phase::Idle;
    }

    static void Close(Client& c)
    {
        if (c.fd >= 0)
            ::close(c.fd);
        c.fd = -1;
    }

    const PollPlan& plan_;
    PollFigures& figures_;
    std::int64_t end_ = 0;
    std::vector<Client> clients_;
    std::vector<pollfd> fds_;
    std::vector<Client*> owners_;
};

// The whole of a buffer through read or write, however it comes in parts.
template <typename Io, typename Byte>
bool Whole(Io io, int fd, Byte* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = io(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    return Whole(::write, fd, static_cast<const char*>(data), size);
}

bool ReadAll(int fd, void* data, std::size_t size)
{
    return Whole(::read, fd, static_cast<char*>(data), size);
}

} // namespace

const std::vector<std::string>& PollPaths()
{
    static const std::vector<std::string> paths{"/?teil=1", "/wertung?teil=1", "/?teil=1", "/api/stand"};
    return paths;
}

PollFigures RunPollingClients(const PollPlan& plan)
{
    PollFigures figures;
    Clients(plan, figures).Run();
    return figures;
}

std::vector<std::int64_t> PollFigures::AllNs() const
{
    std::vector<std::int64_t> all(okNs);
    all.insert(all.end(), notModifiedNs.begin(), notModifiedNs.end());
    return all;
}

bool WriteFigures(int fd, const PollFigures& f)
{
    const std::int64_t counts[] = {f.errors, f.connects, std::int64_t(f.okNs.size()),
                                   std::int64_t(f.notModifiedNs.size()), std::int64_t(f.firstError.size())};
    return WriteAll(fd, counts, sizeof counts) && WriteAll(fd, f.okNs.data(), f.okNs.size() * sizeof(std::int64_t)) &&
        WriteAll(fd, f.notModifiedNs.data(), f.notModifiedNs.size() * sizeof(std::int64_t)) &&
        WriteAll(fd, f.firstError.data(), f.firstError.size());
}

bool ReadFigures(int fd, PollFigures& f)
{
    std::int64_t counts[5] = {};
    if (!ReadAll(fd, counts, sizeof counts))
        return false;
    f.errors = int(counts[0]);
    f.connects = int(counts[1]);
    f.okNs.resize(std::size_t(counts[2]));
    f.notModifiedNs.resize(std::size_t(counts[3]));
    f.firstError.resize(std::size_t(counts[4]));
    return ReadAll(fd, f.okNs.data(), f.okNs.size() * sizeof(std::int64_t)) &&
        ReadAll(fd, f.notModifiedNs.data(), f.notModifiedNs.size() * sizeof(std::int64_t)) &&
        ReadAll(fd, f.firstError.data(), f.firstError.size());
}
