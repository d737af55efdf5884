#include "SerialTestSupport.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <stdexcept>

extern "C" int openpty(int*, int*, char*, const void*, const void*);

PseudoTerminal::PseudoTerminal()
{
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) < 0)
        throw std::runtime_error("openpty failed");
    slavePath_ = name;
}

PseudoTerminal::~PseudoTerminal()
{
    HangUp();
    if (slave_ >= 0)
        ::close(slave_);
}

void PseudoTerminal::Write(const std::string& bytes)
{
    if (::write(master_, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        throw std::runtime_error("write to the pseudo-terminal failed");
}

void PseudoTerminal::HangUp()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

ReadBackTermios ReadTermios(int fd)
{
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) < 0)
        throw std::runtime_error("TCGETS2 failed");
    return {t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag, t.c_cc[VSTART], t.c_cc[VSTOP],
            t.c_cc[VMIN], t.c_cc[VTIME], t.c_ospeed};
}

bool IsExclusive(int fd)
{
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) < 0)
        throw std::runtime_error("TIOCGEXCL failed");
    return exclusive != 0;
}
