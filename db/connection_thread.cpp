#include "db/connection_thread.h"

#include <algorithm>
#include <chrono>

namespace db {

namespace {

// How often a cancel is repeated while its work still runs: a cancel that
// came between two driver calls of that work would otherwise be lost.
constexpr auto kCancelRepeat = std::chrono::milliseconds(200);

}  // namespace

ConnectionThread::ConnectionThread(COdbcConn& conn) : conn_(conn) {
    thread_ = std::thread([this] { Run(); });
    canceller_ = std::thread([this] { RunCanceller(); });
}

ConnectionThread::~ConnectionThread() {
    CancelAll();
    Quit();
    if (thread_.joinable()) thread_.join();
    if (canceller_.joinable()) canceller_.join();
}

void ConnectionThread::Quit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    cancelWake_.notify_all();
}

std::shared_ptr<const Request> ConnectionThread::Submit(Step step) {
    auto request = std::make_shared<Request>();
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({request, std::move(step)});
    }
    wake_.notify_one();
    return request;
}

void ConnectionThread::Cancel(const std::shared_ptr<const Request>& request) {
    if (!request || request->Done()) return;
    std::lock_guard lock(mutex_);
    // Only this object hands requests out, so the cast gives back its own.
    auto mine = std::const_pointer_cast<Request>(request);
    mine->cancelled_ = true;
    toCancel_.push_back(std::move(mine));
    cancelWake_.notify_one();
}

void ConnectionThread::CancelAll() {
    std::lock_guard lock(mutex_);
    for (Entry& entry : queue_) {
        entry.request->cancelled_ = true;
        toCancel_.push_back(entry.request);
    }
    if (current_) {
        current_->cancelled_ = true;
        toCancel_.push_back(current_);
    }
    cancelWake_.notify_one();
}

bool ConnectionThread::Idle() const {
    std::lock_guard lock(mutex_);
    return queue_.empty() && !current_;
}

void ConnectionThread::Abandon() {
    Quit();
    if (thread_.joinable()) thread_.detach();
    if (canceller_.joinable()) canceller_.detach();
}

void ConnectionThread::Finish(Request& request) { request.state_ = Request::State::Done; }

void ConnectionThread::Run() {
    for (;;) {
        Entry entry;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
            if (quit_) {
                for (Entry& left : queue_) Finish(*left.request);
                queue_.clear();
                return;
            }
            entry = std::move(queue_.front());
            queue_.pop_front();
            current_ = entry.request;
        }
        Request& request = *entry.request;
        // A request cancelled before its turn still gets it, so that whoever
        // waits for its answer hears of the cancel; the step sees Cancelled
        // and leaves the driver alone.
        {
            std::lock_guard cancelLock(cancelMutex_);
            running_ = entry.request;
        }
        request.state_ = Request::State::Running;
        const bool again = entry.step(conn_, request);
        {
            std::lock_guard cancelLock(cancelMutex_);
            running_.reset();
        }
        std::lock_guard lock(mutex_);
        current_.reset();
        if (again && !request.Cancelled() && !quit_) {
            // Back of the queue: whatever arrived meanwhile goes first.
            request.state_ = Request::State::Queued;
            queue_.push_back(std::move(entry));
        } else {
            Finish(request);
        }
    }
}

void ConnectionThread::RunCanceller() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (toCancel_.empty()) {
            cancelWake_.wait(lock, [this] { return quit_ || !toCancel_.empty(); });
        } else {
            cancelWake_.wait_for(lock, kCancelRepeat);
        }
        if (quit_) return;
        const std::vector<std::shared_ptr<Request>> pending = toCancel_;
        lock.unlock();
        {
            // SQLCancel may take a while (psqlODBC opens a connection of its
            // own to send it); nothing but this thread and the connection
            // thread between two turns waits for cancelMutex_.
            std::lock_guard cancelLock(cancelMutex_);
            if (running_ && std::find(pending.begin(), pending.end(), running_) != pending.end()) conn_.Cancel();
        }
        lock.lock();
        // Ended work needs no more cancels; the rest is asked again soon.
        std::erase_if(toCancel_, [](const std::shared_ptr<Request>& r) { return r->Done(); });
    }
}

}  // namespace db
