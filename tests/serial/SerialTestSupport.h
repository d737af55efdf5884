#pragma once

#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

// Runs the event loop until the condition holds, failing after 5 s.
#define ASSERT_EVENTUALLY(condition) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, 5000)) << #condition

// Points port n at a test path for the life of the object, so no test ever
// opens a real serial device.
class ScopedPortPath
{
public:
    ScopedPortPath(int port, const std::string& path)
        : name_("RAVOLT_COM" + std::to_string(port))
    {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        ::setenv(name_.c_str(), path.c_str(), 1);
    }
    ~ScopedPortPath()
    {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedPortPath(const ScopedPortPath&) = delete;
    ScopedPortPath& operator=(const ScopedPortPath&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A pseudo-terminal: the program opens the slave path as its serial port;
// the test writes into and hangs up through the master.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int Master() const { return master_; }
    int Slave() const { return slave_; }
    void Write(const std::string& bytes);
    // Closing the master hangs the slave up, as a pulled adapter does.
    void HangUp();

private:
    int master_ = -1;
    int slave_ = -1; // held open so the slave exists until the test ends
    std::string slavePath_;
};

// Termios values of the slave read back through the master, in the kernel's
// layout (so speeds outside the standard codes are visible too).
struct ReadBackTermios
{
    std::uint32_t iflag = 0, oflag = 0, cflag = 0, lflag = 0;
    std::uint8_t vstart = 0, vstop = 0, vmin = 0, vtime = 0;
    std::uint32_t speed = 0;
};
ReadBackTermios ReadTermios(int fd);
// Whether the terminal behind fd is marked exclusive (TIOCGEXCL).
bool IsExclusive(int fd);
