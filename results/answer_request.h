// results::AnswerRequest: one answer asked of the connection thread on
// behalf of a list, as the window sees it. The answer comes back on the
// window's thread; until it does, the window stays usable. An answer that
// takes longer than kQuietMillis makes the request report the running state
// (waiting for the connection, or running, with the seconds elapsed) at
// least once a second, so the window can show it.
#pragma once

#include "results/answer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class COdbcConn;
namespace db {
class ConnectionThread;
class Request;
}  // namespace db

namespace results {

class AnswerRequest : public QObject {
    Q_OBJECT

public:
    // An answer within this time is shown as if it had come at once.
    static constexpr int kQuietMillis = 250;

    using Ask = std::function<int(COdbcConn&)>;
    using OnAnswer = std::function<void(Answer& answer)>;
    using OnRunning = std::function<void(const std::string& stateText)>;

    AnswerRequest(db::ConnectionThread& connection, OnAnswer onAnswer, OnRunning onRunning,
                  QObject* parent = nullptr);
    // Cancels what is still running; its answer goes nowhere.
    ~AnswerRequest() override;

    // Asks for a new answer (see ReadAnswer); one still running is cancelled
    // and its answer dropped.
    void Start(Ask ask, bool countRows, int fontSize, int resultMax, RowFilter keep = {});
    // Cancels the running request (SQLCancel, or it never runs). Its answer
    // still comes, marked cancelled, with the rows read before the cancel;
    // no more running states are reported.
    void Cancel();
    // Cancels the running request and forgets it: its answer goes nowhere.
    void Drop();
    // Started and not yet answered.
    bool Running() const { return request_ != nullptr; }

    // "実行中… 12秒 (Escで中止)" and its waiting form, CP932.
    static std::string RunningText(bool waiting, int seconds);
    // What a list shows for work cancelled before it had rows.
    static std::string CancelledText();

private:
    void Tick();
    void Deliver(unsigned generation, const std::shared_ptr<Answer>& answer);

    // The requests alive on the window thread, by id: an answer finds its
    // request here, or nothing once the request is gone.
    static AnswerRequest* Find(std::uint64_t id);

    const std::uint64_t id_;
    db::ConnectionThread& connection_;
    OnAnswer onAnswer_;
    OnRunning onRunning_;
    std::shared_ptr<const db::Request> request_;
    // Tells the answers of earlier starts from the current one.
    unsigned generation_ = 0;
    QTimer ticker_;
    QElapsedTimer clock_;
};

}  // namespace results
