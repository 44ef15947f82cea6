#include "results/answer.h"

#include "db/statement_scope.h"
#include "platform/sjis_format.h"

namespace results {

Answer ReadAnswer(COdbcConn& conn, const std::function<int(COdbcConn&)>& ask, bool countRows, int fontSize,
                  int resultMax, const StopCheck& stopped, const RowFilter& keep) {
    Answer answer;
    if (stopped()) {
        answer.cancelled = true;
        return answer;
    }
    db::StatementScope statement(conn);
    const int result = ask(*statement);
    if (result < 0) {
        answer.message = DiagnosticMessage(*statement, SQL_HANDLE_STMT);
    } else if (statement->GetColumnCount() > 0) {
        answer.hasRows = true;
        answer.columns = ReadAnswerColumns(*statement, fontSize);
        answer.cells = ReadAnswerRows(*statement, resultMax, stopped, keep);
        if (statement->FetchFailed() != 0 && !stopped()) {
            answer.fetchFailure = DiagnosticMessage(*statement, SQL_HANDLE_STMT);
            // A failure the driver explains with no text still must not
            // pass as the end of the rows.
            if (answer.fetchFailure.empty()) answer.fetchFailure = platform::Sjis("データの読み込みに失敗しました");
        }
    } else if (countRows && result > 0) {
        answer.message = platform::SjisFormat("%d件 更新しました", result);
    } else {
        answer.message = platform::Sjis("成功しました");
    }
    answer.cancelled = stopped();
    return answer;
}

}  // namespace results
