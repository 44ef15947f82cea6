#include "platform/line_handover.h"

#include <QSocketNotifier>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {
namespace detail {

struct LineChannel {
    ~LineChannel() {
        if (eventFd >= 0) ::close(eventFd);
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> waiting;  // handed over, not yet taken by Serve
    std::uint64_t handedOver = 0;     // lines given to Send so far
    std::uint64_t appended = 0;       // of those, lines in the window (in order)
    unsigned sendersWaiting = 0;      // workers waiting inside Send
    bool stopping = false;
    bool woken = false;               // eventFd holds an unread wake-up
    int eventFd = -1;
};

}  // namespace detail

bool LineSender::Send(std::string line) const {
    if (!channel_) return false;
    detail::LineChannel& c = *channel_;
    std::unique_lock lock(c.mutex);
    if (c.stopping) return false;
    c.waiting.push_back(std::move(line));
    const std::uint64_t ticket = ++c.handedOver;
    if (!c.woken) {
        const std::uint64_t one = 1;
        c.woken = ::write(c.eventFd, &one, sizeof one) == sizeof one;
    }
    ++c.sendersWaiting;
    c.changed.wait(lock, [&] { return c.appended >= ticket || c.stopping; });
    --c.sendersWaiting;
    return c.appended >= ticket;
}

bool LineSender::Stopping() const {
    if (!channel_) return true;
    std::lock_guard lock(channel_->mutex);
    return channel_->stopping;
}

LineHandOver::LineHandOver(Append append, QObject* parent)
    : QObject(parent), append_(std::move(append)), channel_(std::make_shared<detail::LineChannel>()) {
    channel_->eventFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (channel_->eventFd < 0) {
        // Without a way to wake this thread a worker would wait for ever:
        // it is told to stop at its first line instead.
        Stop();
        return;
    }
    wakeUp_ = new QSocketNotifier(static_cast<qintptr>(channel_->eventFd), QSocketNotifier::Read, this);
    connect(wakeUp_, &QSocketNotifier::activated, this, [this] { Serve(); });
}

LineHandOver::~LineHandOver() {
    Stop();
    // The worker may keep the channel, and so the descriptor, a while longer;
    // this thread stops watching it now.
    delete wakeUp_;
}

LineSender LineHandOver::Sender() const { return LineSender(channel_); }

void LineHandOver::Serve() {
    detail::LineChannel& c = *channel_;
    for (;;) {
        std::string line;
        {
            std::lock_guard lock(c.mutex);
            if (c.woken) {
                std::uint64_t count = 0;
                if (::read(c.eventFd, &count, sizeof count) < 0) count = 0;
                c.woken = false;
            }
            if (c.stopping || c.waiting.empty()) return;
            line = std::move(c.waiting.front());
            c.waiting.pop_front();
        }
        // The window is touched without the lock: append may take its time.
        append_(line);
        {
            std::lock_guard lock(c.mutex);
            ++c.appended;
        }
        c.changed.notify_all();
    }
}

void LineHandOver::Stop() {
    {
        std::lock_guard lock(channel_->mutex);
        channel_->stopping = true;
        channel_->waiting.clear();
    }
    channel_->changed.notify_all();
}

std::uint64_t LineHandOver::LinesHeld() const {
    std::lock_guard lock(channel_->mutex);
    return std::min<std::uint64_t>(channel_->handedOver - channel_->appended, channel_->sendersWaiting);
}

bool LineHandOver::Stopping() const {
    std::lock_guard lock(channel_->mutex);
    return channel_->stopping;
}

}  // namespace platform
