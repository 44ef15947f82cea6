#include "results/row_sort.h"

#include "platform/sjis_format.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace results {

namespace {

constexpr std::size_t kSortedBytes = 10239;
// Written exponents saturate here, far past any real value, so that every
// exponent fits the key's 32 bits with the digits' own count added.
constexpr std::int64_t kExponentLimit = std::int64_t{1} << 30;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithNoCase(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if ((text[i] | 0x20) != word[i]) return false;
    }
    return true;
}

// One key per row, sorted eight bytes at a time: head holds the key's bytes
// [depth, depth + 8) as a big-endian number, zero-filled past its end, so a
// level of the sort compares numbers in the array and never follows the
// pointer; only the rows still tied after a level load their next eight
// bytes, once each. Integer keys are whole in their first eight bytes.
struct Key {
    std::uint64_t head;
    const char* bytes;
    std::uint32_t size;
    std::uint32_t position;  // in the order before sorting
};

std::uint64_t Head(const char* bytes, std::size_t size) {
    unsigned char b[8] = {};
    if (size > 0) std::memcpy(b, bytes, std::min<std::size_t>(size, 8));
    std::uint64_t head = 0;
    for (unsigned char c : b) head = head << 8 | c;
    return head;
}

// How many of the key's bytes the head holds at depth: fewer than eight
// only where the key ends, which tells "ab" from "ab" followed by a zero.
std::uint32_t HeadLength(const Key& key, std::size_t depth) {
    return key.size > depth ? static_cast<std::uint32_t>(std::min<std::size_t>(key.size - depth, 8)) : 0;
}

void LoadHeads(Key* first, Key* last, std::size_t depth) {
    for (Key* key = first; key != last; ++key) {
        key->head = key->size > depth ? Head(key->bytes + depth, key->size - depth) : 0;
    }
}

// Sorts keys that agree on their first depth bytes, their heads loaded at
// depth. Equal keys end in the order of their positions, in either direction.
void SortFrom(Key* first, Key* last, std::size_t depth, bool ascending) {
    // A run that agrees on the next eight bytes too needs no sorting at this
    // level: long equal prefixes cost one pass each, not a sort.
    for (;;) {
        if (last - first < 2) return;
        const std::uint64_t head = first->head;
        const std::uint32_t length = HeadLength(*first, depth);
        const bool same = std::all_of(first + 1, last, [&](const Key& key) {
            return key.head == head && HeadLength(key, depth) == length;
        });
        if (!same) break;
        // Ended together: all equal, and already in the order of positions.
        if (length < 8) return;
        depth += 8;
        LoadHeads(first, last, depth);
    }
    std::sort(first, last, [depth, ascending](const Key& a, const Key& b) {
        if (a.head != b.head) return ascending ? a.head < b.head : a.head > b.head;
        const std::uint32_t la = HeadLength(a, depth);
        const std::uint32_t lb = HeadLength(b, depth);
        if (la != lb) return ascending ? la < lb : la > lb;
        return a.position < b.position;
    });
    for (Key* run = first; run != last;) {
        const std::uint32_t length = HeadLength(*run, depth);
        Key* end = run + 1;
        while (end != last && end->head == run->head && HeadLength(*end, depth) == length) ++end;
        if (length == 8 && end - run > 1) {
            LoadHeads(run, end, depth + 8);
            SortFrom(run, end, depth + 8, ascending);
        }
        run = end;
    }
}

void AppendBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

// The Number rule's key: bytes that compare as the values do. A class byte,
// then for finite non-zero values the exponent and the digits, both inverted
// for negative values, whose digits also end in a byte above every digit so
// that -1 sorts above -1.5.
void AppendNumberKey(std::string& out, std::string_view text) {
    const DecimalValue value = ReadDecimal(text);
    out += static_cast<char>('A' + value.kind);
    if (value.kind != DecimalValue::Negative && value.kind != DecimalValue::Positive) return;
    const bool negative = value.kind == DecimalValue::Negative;
    const auto biased = static_cast<std::uint32_t>(value.exponent + (std::int64_t{1} << 31));
    AppendBigEndian32(out, negative ? ~biased : biased);
    for (char c : value.digits) {
        if (c == '.') continue;
        out += negative ? static_cast<char>('9' - c + '0') : c;
    }
    if (negative) out += '\xFF';
}

}  // namespace

SortRule SortRuleFor(short dataType) {
    switch (dataType) {
    case 1: case 12: case -1: case -8: case -9: case -10:  // char, varchar, long and wide character types
    case 9: case 10: case 11: case 91: case 92: case 93:   // dates, times and timestamps
        return SortRule::Text;
    case 2: case 3: case 6: case 7: case 8:                // numeric, decimal, float, real, double
        return SortRule::Number;
    default:
        return SortRule::Integer;
    }
}

std::string_view SortedPart(std::string_view cell) {
    cell = cell.substr(0, kSortedBytes);
    return cell.substr(0, cell.find('\0'));
}

DecimalValue ReadDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::string_view rest = text.substr(i);
    DecimalValue value;
    if (StartsWithNoCase(rest, "nan")) {
        value.kind = DecimalValue::NaN;
        return value;
    }
    if (StartsWithNoCase(rest, "inf")) {
        value.kind = negative ? DecimalValue::NegativeInfinity : DecimalValue::PositiveInfinity;
        return value;
    }

    std::int64_t integerDigits = 0;
    bool point = false;
    bool anyDigit = false;
    std::size_t first = std::string_view::npos;  // first significant digit
    std::size_t last = 0;                        // last non-zero digit
    std::int64_t leadingZeros = 0;               // zeros in front of the first significant digit
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!IsDigit(c)) break;
        anyDigit = true;
        if (!point) ++integerDigits;
        if (c == '0') {
            if (first == std::string_view::npos) ++leadingZeros;
            continue;
        }
        if (first == std::string_view::npos) first = i;
        last = i;
    }
    if (!anyDigit || first == std::string_view::npos) return value;  // zero

    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) negativeExponent = text[j++] == '-';
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j) {
                exponent = std::min(exponent * 10 + (text[j] - '0'), kExponentLimit);
            }
            if (negativeExponent) exponent = -exponent;
        }
    }
    value.kind = negative ? DecimalValue::Negative : DecimalValue::Positive;
    value.digits = text.substr(first, last - first + 1);
    value.exponent = integerDigits - leadingZeros + exponent;
    return value;
}

void SortRowOrder(std::vector<std::uint32_t>& order, const CellTable& cells, int column, short dataType,
                  int sortOrder) {
    const SortRule rule = SortRuleFor(dataType);
    std::vector<Key> keys(order.size());
    std::string numberKeys;
    std::vector<std::size_t> numberKeyEnds;
    for (std::size_t p = 0; p < order.size(); ++p) {
        const std::string_view cell = SortedPart(cells.Cell(order[p], column));
        Key& key = keys[p];
        key.position = static_cast<std::uint32_t>(p);
        if (rule == SortRule::Text) {
            key.bytes = cell.data();
            key.size = static_cast<std::uint32_t>(cell.size());
            key.head = Head(key.bytes, key.size);
        } else if (rule == SortRule::Integer) {
            // Flipping the sign bit orders the two's complement values as
            // unsigned numbers.
            const std::int64_t value = platform::ReadLeadingNumber(cell).value;
            key.head = static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
            key.bytes = nullptr;
            key.size = 8;
        } else {
            AppendNumberKey(numberKeys, cell);
            numberKeyEnds.push_back(numberKeys.size());
        }
    }
    if (rule == SortRule::Number) {
        // Pointed to only now that the buffer holding them no longer grows.
        std::size_t begin = 0;
        for (std::size_t p = 0; p < keys.size(); ++p) {
            keys[p].bytes = numberKeys.data() + begin;
            keys[p].size = static_cast<std::uint32_t>(numberKeyEnds[p] - begin);
            keys[p].head = Head(keys[p].bytes, keys[p].size);
            begin = numberKeyEnds[p];
        }
    }

    if (!keys.empty()) SortFrom(keys.data(), keys.data() + keys.size(), 0, sortOrder == 1);
    std::vector<std::uint32_t> sorted(order.size());
    for (std::size_t p = 0; p < keys.size(); ++p) sorted[p] = order[keys[p].position];
    order.swap(sorted);
}

}  // namespace results
