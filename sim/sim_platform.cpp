#include "sim/sim_platform.h"

#include <algorithm>

#include <zorvan/assets.h>

namespace zorvan::sim {

std::unique_ptr<platform::Timer> SimLoop::makeTimer(std::function<void()> tick) {
    auto t = std::make_unique<SimTimer>(*this, std::move(tick));
    timers_.push_back(t.get());
    return t;
}

void SimLoop::at(std::int64_t t, std::function<void()> fn) {
    Event e{std::max(t, now_), seq_++, std::move(fn)};
    auto it = std::upper_bound(events_.begin(), events_.end(), e, [](const Event& a, const Event& b) {
        return a.t != b.t ? a.t < b.t : a.seq < b.seq;
    });
    events_.insert(it, std::move(e));
}

// Runs the earliest thing due at or before limit; false when nothing is.
bool SimLoop::step(std::int64_t limit) {
    SimTimer* timer = nullptr;
    for (SimTimer* t : timers_) {
        if (!t->enabled_ || t->interval_ <= 0 || t->due_ > limit) continue;
        if (!timer || t->due_ < timer->due_ || (t->due_ == timer->due_ && t->seq_ < timer->seq_)) timer = t;
    }
    bool eventFirst = !events_.empty() && events_.front().t <= limit &&
                      (!timer || events_.front().t <= timer->due_);
    if (eventFirst) {
        Event e = std::move(events_.front());
        events_.pop_front();
        now_ = std::max(now_, e.t);
        e.fn();
        notify();
        return true;
    }
    if (!timer) return false;
    now_ = std::max(now_, timer->due_);
    timer->due_ = now_ + timer->interval_;
    timer->seq_ = seq_++;
    auto tick = timer->tick_;  // the timer may be destroyed by its own tick
    tick();
    notify();
    return true;
}

void SimLoop::notify() {
    if (!afterEvent || notifying_) return;
    notifying_ = true;
    struct Reset { bool& b; ~Reset() { b = false; } } reset{notifying_};
    afterEvent();
}

void SimLoop::runFor(std::int64_t ms) {
    std::int64_t target = now_ + ms;
    while (step(target)) {}
    now_ = std::max(now_, target);
}

bool SimLoop::runUntil(const std::function<bool()>& pred, std::int64_t maxMs) {
    std::int64_t target = now_ + maxMs;
    if (pred()) return true;
    while (step(target))
        if (pred()) return true;
    now_ = std::max(now_, target);
    return pred();
}

SimTimer::~SimTimer() {
    auto& v = loop_.timers_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void SimTimer::restart() {
    due_ = loop_.now_ + interval_;
    seq_ = loop_.seq_++;
}

void SimTimer::setInterval(int ms) {
    interval_ = ms;
    if (enabled_) restart();
}

void SimTimer::setEnabled(bool on) {
    if (on && !enabled_) restart();
    enabled_ = on;
}

void SimSocket::connect(const std::string& h, int p) {
    host = h;
    port = p;
    ++connectCount;
    state_ = kConnecting;
    auto gen = ++generation_;
    bool ok = !acceptConnect || acceptConnect(h, p);
    loop_.at(loop_.nowMs() + connectDelayMs, [this, gen, ok] {
        if (gen != generation_) return;
        if (ok) {
            state_ = kConnected;
            if (onConnected) onConnected();
        } else {
            state_ = kError;
            if (onError) onError();
        }
    });
}

void SimSocket::send(std::span<const std::uint8_t> bytes) {
    if (state_ != kConnected) return;
    written.insert(written.end(), bytes.begin(), bytes.end());
    if (farEndReceives) farEndReceives(bytes);
}

void SimSocket::close() {
    ++generation_;
    state_ = kClosed;
}

void SimSocket::deliver(std::vector<std::uint8_t> bytes, int delayMs) {
    auto gen = generation_;
    loop_.at(loop_.nowMs() + delayMs, [this, gen, b = std::move(bytes)] {
        if (gen != generation_ || state_ != kConnected) return;
        if (onData) onData(b);
    });
}

void SimSocket::farClose(int delayMs) {
    auto gen = generation_;
    loop_.at(loop_.nowMs() + delayMs, [this, gen] {
        if (gen != generation_ || state_ != kConnected) return;
        state_ = kClosed;
        if (onClose) onClose();
    });
}

std::vector<SimDesktop::Posted> SimDesktop::to(const std::string& caption) const {
    std::vector<Posted> out;
    for (const auto& p : log)
        if (p.to == caption) out.push_back(p);
    return out;
}

void SimWindowBus::post(const std::string& caption, int msg, long w, long l) {
    desk_.log.push_back({loop_.nowMs(), own_, caption, msg, w, l});
    loop_.post([this, caption, msg, w, l] {
        auto it = desk_.windows.find(caption);
        if (it != desk_.windows.end()) it->second(msg, w, l);
    });
}

bool SimWindowBus::listen(const std::string& ownCaption, std::function<long(int, long, long)> procedure,
                          std::string*) {
    stopListening();
    own_ = ownCaption;
    desk_.windows[own_] = std::move(procedure);
    return true;
}

void SimWindowBus::stopListening() {
    if (!own_.empty()) desk_.windows.erase(own_);
}

std::span<const std::uint8_t> EmbeddedResources::gif(int id) const {
    const auto* b = assets::gif(id);
    return b ? std::span(b->data, b->size) : std::span<const std::uint8_t>();
}

std::span<const std::uint8_t> EmbeddedResources::named(const std::string& name) const {
    const auto* b = assets::named(name);
    return b ? std::span(b->data, b->size) : std::span<const std::uint8_t>();
}

}  // namespace zorvan::sim
