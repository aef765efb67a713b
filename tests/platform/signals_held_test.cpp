#include "platform/signals_held.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

volatile std::sig_atomic_t delivered = 0;

void count(int) { delivered = delivered + 1; }

TEST(SignalsHeldOff, EachSignalWaitsUntilTheStepEndsAndComesOnce)
{
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction counting {}, old {};
        counting.sa_handler = count;
        sigemptyset(&counting.sa_mask);
        ASSERT_EQ(::sigaction(sig, &counting, &old), 0);
        delivered = 0;
        {
            const SignalsHeldOff held;
            ::raise(sig);
            ::raise(sig);
            EXPECT_EQ(delivered, 0) << sig;
        }
        EXPECT_EQ(delivered, 1) << sig;
        struct sigaction now {};
        ::sigaction(sig, nullptr, &now);
        EXPECT_EQ(now.sa_handler, &count) << sig;  // the program's handler is back
        ::sigaction(sig, &old, nullptr);
    }
}

TEST(SignalsHeldOff, AnIgnoredSignalStaysIgnored)
{
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ASSERT_EQ(::sigaction(SIGHUP, &ignore, &old), 0);
    {
        const SignalsHeldOff held;
        ::raise(SIGHUP);
    }
    struct sigaction now {};
    ::sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
    ::sigaction(SIGHUP, &old, nullptr);
}

}  // namespace
