#include "platform/signals_held.h"

#include <csignal>

namespace {

constexpr int heldSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int heldCount = sizeof heldSignals / sizeof heldSignals[0];
volatile std::sig_atomic_t caught = 0;
// Holds nest (a step that holds them may call another that does): only the
// outermost forgets what came before and delivers what came meanwhile.
int depth = 0;

void hold(int sig)
{
    if (caught == 0) caught = sig;
}

}  // namespace

struct SignalsHeldOff::Saved {
    struct sigaction old[heldCount] {};
    bool held[heldCount] = {};
};

SignalsHeldOff::SignalsHeldOff() : saved_(std::make_unique<Saved>())
{
    if (depth++ == 0) caught = 0;
    struct sigaction holding {};
    holding.sa_handler = hold;
    sigemptyset(&holding.sa_mask);
    for (int i = 0; i < heldCount; ++i) {
        saved_->held[i] = ::sigaction(heldSignals[i], &holding, &saved_->old[i]) == 0;
        if (saved_->held[i] && saved_->old[i].sa_handler == SIG_IGN) {
            ::sigaction(heldSignals[i], &saved_->old[i], nullptr);
            saved_->held[i] = false;
        }
    }
}

SignalsHeldOff::~SignalsHeldOff()
{
    for (int i = 0; i < heldCount; ++i)
        if (saved_->held[i]) ::sigaction(heldSignals[i], &saved_->old[i], nullptr);
    saved_.reset();
    if (--depth > 0) return;
    const int sig = caught;
    caught = 0;
    if (sig != 0) ::raise(sig);
}
