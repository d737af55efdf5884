#include "ShutdownSignals.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <csignal>

namespace {

void (*CurrentHandler(int signal))(int)
{
    struct sigaction action {};
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

} // namespace

// Each signal a shutdown or a terminal sends reaches the event loop as
// Received instead of ending the process; afterwards it ends it again.
TEST(ShutdownSignals, EachSignalReachesTheEventLoopAndTheDefaultComesBack)
{
    for (int signal : ShutdownSignals::Handled) {
        SCOPED_TRACE(signal);
        {
            ShutdownSignals watch;
            QSignalSpy received(&watch, &ShutdownSignals::Received);
            ASSERT_EQ(::raise(signal), 0);
            EXPECT_TRUE(received.isEmpty()) << "nothing is emitted inside the signal handler";
            for (int i = 0; i < 100 && received.isEmpty(); ++i)
                QCoreApplication::processEvents();
            ASSERT_EQ(received.size(), 1);
            EXPECT_EQ(received.at(0).at(0).toInt(), signal);
        }
        EXPECT_EQ(CurrentHandler(signal), SIG_DFL);
    }
}
