#pragma once

// Phones polling the results server the way the page's script does: GET with
// If-None-Match on a kept connection, every period, each from an address of
// its own on the loopback network (127.0.1.1, 127.0.1.2, ...) as phones on
// the course network would come. Plain sockets and one poll() loop, no Qt:
// it runs in a child process, so the server's side is the one measured.
#include <cstdint>
#include <string>
#include <vector>

struct PollPlan
{
    std::uint16_t port = 0;
    int clients = 200;
    int seconds = 60;
    int periodMs = 1000;
};

struct PollFigures
{
    // Request sent (or connect begun) to the answer's last byte read.
    std::vector<std::int64_t> okNs;          // 200
    std::vector<std::int64_t> notModifiedNs; // 304
    int errors = 0;      // refused, closed, timed out, or any other status
    int connects = 0;
    std::string firstError;
    std::vector<std::int64_t> AllNs() const;
};

// The paths the clients ask for, one after the other by client: most the
// track page's part, some the results' part, some the JSON.
const std::vector<std::string>& PollPaths();

PollFigures RunPollingClients(const PollPlan& plan);

// Over a pipe from the child process to the parent.
bool WriteFigures(int fd, const PollFigures& figures);
bool ReadFigures(int fd, PollFigures& figures);
