// A Windows-style initialisation file ("[section]" lines and "key=value"
// lines) held in memory line by line, so that changing one key rewrites only
// that line and a hand-edited file keeps its comments, order and line ends.
//
// Text is CP932 bytes. Section and key names match without regard to ASCII
// letter case (the trail byte of a double-byte character is never folded).
// Reading rules, chosen to behave like the Windows profile functions on the
// files people actually hand-edit:
//   - lines end in LF or CR LF; a missing newline at the end is fine;
//   - a value ends at a NUL or a lone CR inside it (the rest of the line is
//     ignored), so that every value read can be written back as it was read;
//   - names and values are trimmed of white space; a value wrapped in one
//     pair of matching quotes ("..." or '...') loses the quotes;
//   - a line starting with ';' is a comment; a line starting with '[' without
//     a closing ']' is no section line and is ignored, as are lines without
//     '=' and keys before the first section;
//   - with duplicate sections only the first one is consulted, and within it
//     the first of duplicate keys; writes go to the same place.
// Lines that are not changed are written back byte for byte. New lines take
// the line end of the file's first line, or CR LF (as Windows writes) for a
// new file or one without any line end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

class IniFile {
public:
    // Replaces the content with the file at path. A missing file gives an
    // empty file and counts as success; false means the file exists but could
    // not be read (a directory, no permission), and the content is then empty.
    bool Load(const std::string& path);

    // The value of key in section, or def when the section or key is missing,
    // cut to at most bufferSize - 1 bytes without splitting a double-byte
    // character. bufferSize 0 gives an empty text.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def, std::size_t bufferSize) const;

    // The decimal number at the start of the value (0 when it has no digit,
    // an empty value included; beyond the int range INT_MIN or INT_MAX), or
    // def when the section or key is missing.
    int GetInt(std::string_view section, std::string_view key, int def) const;

    // Sets key in section, rewriting only that key's line. A missing key is
    // added after the last key line of its section (before a trailing comment
    // or blank lines); a missing section is appended at the end of the file.
    // The value ends at its first CR, LF or NUL (it has to stay on one line),
    // and is quoted when its surrounding white space or quotes would
    // otherwise be lost on reading. Section and key names are the caller's
    // and must not contain ']', '=' or line ends.
    void SetString(std::string_view section, std::string_view key, std::string_view value);

    // Replaces the file at path through platform::WriteFileAtomically (one
    // step where it can be): a new file is made readable by its owner only,
    // as it holds a password; an existing one keeps its permissions and
    // owner, and a write-protected one is left alone. On failure the
    // system's reason is returned.
    std::error_code Save(const std::string& path) const;

    // The file's text exactly as Save writes it.
    std::string ToString() const;

private:
    enum class Eol : unsigned char { None, Lf, CrLf };  // None: last line without newline
    struct Line {
        std::string text;  // without its line end
        Eol eol;
    };

    // Index of the first section line named section, or npos.
    std::size_t FindSection(std::string_view section) const;
    // Index of the first key line named key in the section starting at
    // sectionLine, or npos.
    std::size_t FindKey(std::size_t sectionLine, std::string_view key) const;
    Eol NewLineEnd() const;

    std::vector<Line> lines_;
};
