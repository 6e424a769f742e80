#include "progress.h"

#include <QCoreApplication>
#include <algorithm>

namespace fw {

namespace {
int& busy_depth() {
    static int d = 0;
    return d;
}
std::function<void()>& pump_hook() {
    static std::function<void()> h;
    return h;
}
}  // namespace

bool library_busy() { return busy_depth() > 0; }

BusyGuard::BusyGuard() : acquired_(busy_depth() == 0) {
    if (acquired_) ++busy_depth();
}

BusyGuard::~BusyGuard() {
    if (acquired_) --busy_depth();
}

bool Progress::begin(int lower, int upper, int position, int step) {
    if (running_ || library_busy()) return false;
    ++busy_depth();
    running_ = true;
    cancel_ = 0;
    advances_ = 0;
    // The whole range of the run, however many lines it has: a bar cut to
    // 16 bits would stand full while the run goes on.
    lower_ = lower;
    upper_ = upper;
    position_ = std::clamp(position, std::min(lower_, upper_), std::max(lower_, upper_));
    step_ = step;
    windowOpen_ = window_ != nullptr;
    if (windowOpen_) window_->open(lower_, upper_, position_);
    return true;
}

void Progress::end() {
    if (!running_) return;
    running_ = false;
    --busy_depth();
    if (windowOpen_) window_->close();
    windowOpen_ = false;
}

void Progress::advance() {
    // The bar stops at its upper end (it does not start over).
    const long long next = static_cast<long long>(position_) + step_;
    position_ = static_cast<int>(std::clamp<long long>(next, std::min(lower_, upper_), std::max(lower_, upper_)));
    ++advances_;
    if (windowOpen_) window_->setPosition(position_);
}

int Progress::stepIt() {
    if (running_) {
        advance();
        pump_one_message();
    }
    return cancel_;
}

int Progress::stepBy(int increment) {
    step_ = increment;
    return stepIt();
}

void Progress::requestCancel() {
    cancel_ = 1;
    if (windowOpen_) window_->close();
    windowOpen_ = false;
}

Progress& progress() {
    static Progress p;
    return p;
}

void pump_one_message() {
    if (pump_hook()) pump_hook()();
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void set_pump_hook(std::function<void()> hook) { pump_hook() = std::move(hook); }

}  // namespace fw
