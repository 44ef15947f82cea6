// One answer of the database as the windows show it, read on the connection
// thread and handed to the window whole: the columns and rows of a result
// set, or the one-line message that stands in its place.
#pragma once

#include "results/list_logic.h"
#include "results/result_list.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class COdbcConn;

namespace results {

struct Answer {
    // Columns and cells hold a result set; otherwise message is the line
    // the list shows (the driver's message, or the outcome of the statement).
    bool hasRows = false;
    std::vector<ListColumnSpec> columns;
    CellTable cells;
    std::string message;
    // The driver's message when reading the rows failed part-way; the rows
    // read before it stay.
    std::string fetchFailure;
    // The work was cancelled; the rows (if any) are those read before it.
    bool cancelled = false;
};

// Whether the reading should stop (its work was cancelled).
using StopCheck = std::function<bool()>;
// Whether a row the driver delivered belongs in the answer.
using RowFilter = std::function<bool(const COdbcConn&)>;

// One statement sequence on conn: allocate, ask, read at most resultMax
// rows, free. ask runs the statement or catalogue call and returns what
// COdbcConn::Execute returns (a positive count of changed rows counts only
// when countRows is set: catalogue calls change nothing). keep, when given,
// chooses the rows (see ReadAnswerRows).
Answer ReadAnswer(COdbcConn& conn, const std::function<int(COdbcConn&)>& ask, bool countRows, int fontSize,
                  int resultMax, const StopCheck& stopped, const RowFilter& keep = {});

}  // namespace results
