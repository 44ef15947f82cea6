// How a batch run cuts its script into statements. The script is the
// prepared editor text (white space already collapsed to single spaces), in
// CP932 bytes.
//
// A ';' ends a statement unless an odd number of single quotes came before
// it in the whole script: the quote count is never reset, so a lone quote
// makes everything after it one statement. Double quotes and comment markers
// mean nothing here. Spaces at the start of a statement are dropped. An
// empty statement (";;") is delivered like any other; a rest without a
// closing ';' is delivered when it is not empty.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace results {

// Calls onStatement with each statement in script order; the view is valid
// only during the call. Stops early, before the next statement, when
// onStatement returns false. Returns the number of statements delivered.
std::size_t SplitScript(std::string_view script, const std::function<bool(std::string_view)>& onStatement);

// Every statement of the script, in order.
std::vector<std::string> SplitScript(std::string_view script);

}  // namespace results
