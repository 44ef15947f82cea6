// db::ConnectionThread: the thread that owns the one connection. Every
// driver call on the connection and its statement (connect, execute, fetch,
// catalogue, diagnostics, free, disconnect) runs here, in the order the work
// was asked for; only SQLCancel comes from elsewhere (this object's own
// canceller thread). The windows therefore never wait for the driver, and a
// driver that ties its connection to the thread that last used it (MariaDB's
// does, after a statement it rejects by itself) always sees the same thread.
//
// Work is a step function. It is called even for work cancelled before its
// turn, so that it can report the cancel: a step checks self.Cancelled()
// before it calls the driver. A step that returns true wants another turn
// and goes to the back of the queue: a batch run is one step per statement, so a
// request that arrives while it runs waits for one statement, not for the
// whole script.
//
//   auto request = thread.Submit([](COdbcConn& conn, const db::Request& self) {
//       db::StatementScope statement(conn);
//       ...                              // self.Cancelled() between rows
//       post the answer to the window;   // never wait for the window here
//       return false;                    // done
//   });
//   thread.Cancel(request);              // Escape: SQLCancel, or never run
//
// Threads: Submit, Cancel, CancelAll and the queries may be called from any
// thread; none of them waits for a driver call.
#pragma once

#include "db/odbc_conn.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace db {

// One piece of work asked of the connection thread, shared by whoever asked
// and the thread.
class Request {
public:
    enum class State : int32_t { Queued, Running, Done };

    State GetState() const { return state_.load(); }
    bool Done() const { return GetState() == State::Done; }
    // Cancelled before or while it ran; work checks this between its calls.
    bool Cancelled() const { return cancelled_.load(); }

private:
    friend class ConnectionThread;
    std::atomic<State> state_{State::Queued};
    std::atomic<bool> cancelled_{false};
};

class ConnectionThread {
public:
    // One turn of work; true asks for another turn at the back of the queue.
    using Step = std::function<bool(COdbcConn& conn, const Request& self)>;

    explicit ConnectionThread(COdbcConn& conn);
    // Cancels everything and joins the thread, unless Abandon was called.
    ~ConnectionThread();
    ConnectionThread(const ConnectionThread&) = delete;
    ConnectionThread& operator=(const ConnectionThread&) = delete;

    std::shared_ptr<const Request> Submit(Step step);

    // A request still queued never reaches the driver; one running has its statement
    // cancelled (again every so often until it ends, so a cancel that comes
    // just before the driver's call is not lost). Returns at once.
    void Cancel(const std::shared_ptr<const Request>& request);
    // Every request, queued or running, as Cancel; work submitted later
    // still runs.
    void CancelAll();

    // No request queued or running.
    bool Idle() const;
    // The connection is open (read without the thread's help).
    bool IsConnected() const { return conn_.IsConnected() != 0; }

    // For leaving while a driver ignores its cancel: the thread is left to
    // itself and the destructor no longer joins it. The process must end
    // soon after, without freeing the connection.
    void Abandon();

    // The connection itself, for the one thread that owns it (and for tests
    // while the thread is idle).
    COdbcConn& Conn() { return conn_; }

private:
    struct Entry {
        std::shared_ptr<Request> request;
        Step step;
    };

    void Run();
    void RunCanceller();
    // Both threads leave at their next look (the connection thread after
    // its current step).
    void Quit();
    void Finish(Request& request);

    COdbcConn& conn_;
    // Guards the queue and what the canceller is asked; held only briefly,
    // never across a driver call, so any thread may take it.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Entry> queue_;
    // The request whose turn it is, from its leaving the queue until its
    // step has returned.
    std::shared_ptr<Request> current_;
    bool quit_ = false;
    std::condition_variable cancelWake_;
    std::vector<std::shared_ptr<Request>> toCancel_;

    // Held by the canceller across SQLCancel and by the connection thread
    // while it changes running_, so a cancel never reaches the statement of
    // the work that comes after the one it was meant for.
    std::mutex cancelMutex_;
    std::shared_ptr<Request> running_;

    std::thread thread_;
    std::thread canceller_;
};

}  // namespace db
