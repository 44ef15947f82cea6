#include "settings/ini_file.h"

#include "platform/atomic_file.h"
#include "platform/cp932.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::size_t npos = std::string::npos;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsLead(char c) { return platform::IsLeadByte(static_cast<unsigned char>(c)); }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsQuoted(std::string_view s) {
    return s.size() >= 2 && IsQuote(s.front()) && s.front() == s.back();
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Case-insensitive for ASCII letters only. The byte after a lead byte is the
// second half of a double-byte character and may look like a letter, so it
// is compared exactly.
bool NamesMatch(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLead(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Finds c outside double-byte characters (']' is also a valid trail byte).
std::size_t FindSingleByte(std::string_view s, char c) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == c) return i;
        if (IsLead(s[i])) ++i;
    }
    return npos;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;   // views into the line's text
    std::string_view value;  // trimmed and unquoted
};

ParsedLine ParseLine(std::string_view text) {
    ParsedLine p;
    const std::string_view t = Trim(text);
    if (t.empty() || t.front() == ';') return p;
    if (t.front() == '[') {
        const std::size_t close = FindSingleByte(t, ']');
        if (close != npos) {
            p.kind = LineKind::Section;
            p.name = Trim(t.substr(1, close - 1));
        }
        return p;
    }
    const std::size_t eq = t.find('=');  // '=' is never a trail byte
    if (eq == npos) return p;
    const std::string_view name = Trim(t.substr(0, eq));
    if (name.empty()) return p;
    // A value ends at a NUL or a CR of its own, as its writer ends it, so
    // that what is read can be written back and read again unchanged.
    std::string_view value = t.substr(eq + 1);
    value = Trim(value.substr(0, value.find_first_of(std::string_view("\r\0", 2))));
    if (IsQuoted(value)) value = value.substr(1, value.size() - 2);
    p.kind = LineKind::Key;
    p.name = name;
    p.value = value;
    return p;
}

// The value as it goes into a key line: one line only, and quoted when
// reading would otherwise trim it or strip its own quotes.
std::string EncodeValue(std::string_view value) {
    const std::size_t end = value.find_first_of(std::string_view("\r\n\0", 3));
    if (end != npos) value = value.substr(0, end);
    const bool quote = !value.empty() &&
                       (IsSpace(value.front()) || IsSpace(value.back()) || IsQuoted(value));
    if (!quote) return std::string(value);
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    out += value;
    out += '"';
    return out;
}

}  // namespace

bool IniFile::Load(const std::string& path) {
    lines_.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    std::string data;
    char chunk[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        data.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok) return false;

    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::size_t lf = data.find('\n', pos);
        if (lf == npos) {
            lines_.push_back({data.substr(pos), Eol::None});
            break;
        }
        const bool crlf = lf > pos && data[lf - 1] == '\r';
        const std::size_t end = crlf ? lf - 1 : lf;
        lines_.push_back({data.substr(pos, end - pos), crlf ? Eol::CrLf : Eol::Lf});
        pos = lf + 1;
    }
    return true;
}

std::size_t IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const ParsedLine p = ParseLine(lines_[i].text);
        if (p.kind == LineKind::Section && NamesMatch(p.name, section)) return i;
    }
    return npos;
}

std::size_t IniFile::FindKey(std::size_t sectionLine, std::string_view key) const {
    for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        const ParsedLine p = ParseLine(lines_[i].text);
        if (p.kind == LineKind::Section) break;
        if (p.kind == LineKind::Key && NamesMatch(p.name, key)) return i;
    }
    return npos;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view def, std::size_t bufferSize) const {
    if (bufferSize == 0) return {};
    std::string_view value = def;
    const std::size_t s = FindSection(section);
    const std::size_t k = s == npos ? npos : FindKey(s, key);
    if (k != npos) value = ParseLine(lines_[k].text).value;
    return std::string(value.substr(0, platform::Cp932PrefixLength(value, bufferSize - 1)));
}

int IniFile::GetInt(std::string_view section, std::string_view key, int def) const {
    const std::size_t s = FindSection(section);
    const std::size_t k = s == npos ? npos : FindKey(s, key);
    if (k == npos) return def;
    return platform::SaturateToInt(platform::ReadLeadingNumber(ParseLine(lines_[k].text).value).value);
}

IniFile::Eol IniFile::NewLineEnd() const {
    for (const Line& line : lines_) {
        if (line.eol != Eol::None) return line.eol;
    }
    return Eol::CrLf;
}

void IniFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string encoded = EncodeValue(value);
    const Eol eol = NewLineEnd();
    const std::size_t s = FindSection(section);
    if (s == npos) {
        if (!lines_.empty() && lines_.back().eol == Eol::None) lines_.back().eol = eol;
        std::string header(1, '[');  // built by appends: GCC 12 misreads "[" + string
        header.append(section).push_back(']');
        lines_.push_back({std::move(header), eol});
        lines_.push_back({std::string(key) + "=" + encoded, eol});
        return;
    }
    const std::size_t k = FindKey(s, key);
    if (k != npos) {
        // Keep the file's own spelling of the name; only the value changes.
        std::string text(ParseLine(lines_[k].text).name);
        text += '=';
        text += encoded;
        lines_[k].text = std::move(text);
        return;
    }
    // After the section's last key line: blank lines and a comment block
    // before the next section header belong to that next section.
    std::size_t lastKey = npos;
    std::size_t lastContent = s;
    for (std::size_t i = s + 1; i < lines_.size(); ++i) {
        const ParsedLine p = ParseLine(lines_[i].text);
        if (p.kind == LineKind::Section) break;
        if (p.kind == LineKind::Key) lastKey = i;
        if (!Trim(lines_[i].text).empty()) lastContent = i;
    }
    const std::size_t at = (lastKey != npos ? lastKey : lastContent) + 1;
    if (lines_[at - 1].eol == Eol::None) lines_[at - 1].eol = eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  Line{std::string(key) + "=" + encoded, eol});
}

std::string IniFile::ToString() const {
    std::size_t size = 0;
    for (const Line& line : lines_) size += line.text.size() + 2;
    std::string out;
    out.reserve(size);
    for (const Line& line : lines_) {
        out += line.text;
        if (line.eol == Eol::CrLf) out += "\r\n";
        if (line.eol == Eol::Lf) out += '\n';
    }
    return out;
}

std::error_code IniFile::Save(const std::string& path) const {
    return platform::WriteFileAtomically(path, ToString(), platform::kOwnerOnlyMode);
}
