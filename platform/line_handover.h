// The hand-over of a line from a worker thread to a window's thread: the
// worker gives a line and waits until the window has it, or until the window
// is stopping. The log therefore never runs ahead of the worker's work, and
// the worker never outlives its welcome.
//
// Why not a blocking queued call: the window's thread may itself be waiting
// for the worker (when the program shuts down, it joins every worker), and a
// worker blocked on the window's event loop would then wait forever. Here the
// wait ends as soon as Stop() is called, from any thread.
//
// The two sides share their state, so neither can reach freed memory whichever
// goes first: a sender used after its window is gone just returns false.
//
//   window thread                          worker thread
//   LineHandOver handOver(append, this);
//   LineSender sender = handOver.Sender(); std::thread([sender] { ... })
//                                          if (!sender.Send(line)) stop work;
//   handOver.Stop(); join the worker; destroy the window.
//
// The lines are appended by the window's event loop (a wake-up through an
// eventfd, not a Qt cross-thread post), or by Serve() from a loop of the
// window thread's own.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace platform {

namespace detail {
struct LineChannel;
}

// The worker's end; cheap to copy, safe on any thread.
class LineSender {
public:
    LineSender() = default;

    // Hands line over and waits. True once the window has appended it; false
    // when the window is stopping (or gone): the line may not be shown, and
    // the worker should end its work.
    bool Send(std::string line) const;
    // True once the window is stopping.
    bool Stopping() const;

private:
    friend class LineHandOver;
    explicit LineSender(std::shared_ptr<detail::LineChannel> channel) : channel_(std::move(channel)) {}
    std::shared_ptr<detail::LineChannel> channel_;
};

// The window's end; lives on the window's thread.
class LineHandOver : public QObject {
    Q_OBJECT

public:
    using Append = std::function<void(const std::string& line)>;

    // append puts one line into the window; it runs on this object's thread.
    explicit LineHandOver(Append append, QObject* parent = nullptr);
    // Stops: a waiting worker returns at once.
    ~LineHandOver() override;

    LineSender Sender() const;

    // Appends every line handed over and not yet appended. The event loop
    // calls it; a window thread that waits in a loop of its own calls it too.
    void Serve();

    // From now on every Send returns false at once; lines not yet appended
    // are dropped. Any thread; more than once is harmless.
    void Stop();
    bool Stopping() const;

    // Lines handed over, not yet appended, whose Send still waits for them:
    // how a test knows where a worker stands.
    std::uint64_t LinesHeld() const;

private:
    Append append_;
    std::shared_ptr<detail::LineChannel> channel_;
    QSocketNotifier* wakeUp_ = nullptr;
};

}  // namespace platform
