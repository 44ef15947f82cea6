#include "results/answer_request.h"

#include "db/connection_thread.h"
#include "platform/sjis_format.h"
#include "platform/window_thread.h"

#include <unordered_map>

namespace results {

namespace {

// The running state is redrawn this often, so the seconds shown never lag
// by a whole second.
constexpr int kTickMillis = 500;

// Touched on the window thread only.
std::unordered_map<std::uint64_t, AnswerRequest*> g_live;
std::uint64_t g_nextId = 0;

}  // namespace

AnswerRequest::AnswerRequest(db::ConnectionThread& connection, OnAnswer onAnswer, OnRunning onRunning,
                             QObject* parent)
    : QObject(parent),
      id_(++g_nextId),
      connection_(connection),
      onAnswer_(std::move(onAnswer)),
      onRunning_(std::move(onRunning)) {
    g_live[id_] = this;
    connect(&ticker_, &QTimer::timeout, this, [this] { Tick(); });
}

AnswerRequest::~AnswerRequest() {
    g_live.erase(id_);
    if (request_) connection_.Cancel(request_);
}

AnswerRequest* AnswerRequest::Find(std::uint64_t id) {
    const auto found = g_live.find(id);
    return found == g_live.end() ? nullptr : found->second;
}

void AnswerRequest::Start(Ask ask, bool countRows, int fontSize, int resultMax, RowFilter keep) {
    if (request_) connection_.Cancel(request_);
    const unsigned generation = ++generation_;
    const std::uint64_t id = id_;
    request_ = connection_.Submit([=, ask = std::move(ask), keep = std::move(keep)](COdbcConn& conn,
                                                                                  const db::Request& request) {
        auto answer = std::make_shared<Answer>(ReadAnswer(
            conn, ask, countRows, fontSize, resultMax, [&request] { return request.Cancelled(); }, keep));
        // Moved: the whole answer then belongs to the window thread alone.
        platform::PostToWindowThread([id, generation, answer = std::move(answer)] {
            if (AnswerRequest* self = Find(id)) self->Deliver(generation, answer);
        });
        return false;
    });
    clock_.start();
    ticker_.start(kQuietMillis);
}

void AnswerRequest::Cancel() {
    if (!request_) return;
    connection_.Cancel(request_);
    ticker_.stop();
}

void AnswerRequest::Drop() {
    if (!request_) return;
    connection_.Cancel(request_);
    request_.reset();
    ++generation_;
    ticker_.stop();
}

void AnswerRequest::Deliver(unsigned generation, const std::shared_ptr<Answer>& answer) {
    if (generation != generation_) return;
    request_.reset();
    ticker_.stop();
    onAnswer_(*answer);
}

void AnswerRequest::Tick() {
    if (!request_) return;
    ticker_.setInterval(kTickMillis);
    const bool waiting = request_->GetState() == db::Request::State::Queued;
    onRunning_(RunningText(waiting, static_cast<int>(clock_.elapsed() / 1000)));
}

std::string AnswerRequest::RunningText(bool waiting, int seconds) {
    return platform::SjisFormat(waiting ? "接続待ち… %d秒 (Escで中止)" : "実行中… %d秒 (Escで中止)", seconds);
}

std::string AnswerRequest::CancelledText() { return platform::Sjis("実行を中止しました"); }

}  // namespace results
