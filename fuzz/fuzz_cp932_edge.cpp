// The code-page edges. Properties:
//  - any bytes shown in a widget and read back are the same bytes (both the
//    plain form and the editor's line-break form, which gives CR LF line ends);
//  - the editor's byte offsets agree with the bytes its text turns into, and
//    a byte offset maps back to the character that holds it;
//  - any text a person can type or paste turns into bytes that survive the
//    widget unchanged;
//  - the ODBC edge gives valid UTF-8, and CP932 -> UTF-8 -> CP932 -> UTF-8 is
//    stable after one round.
#include "texttools/text_transforms.h"
#include "fuzz_check.h"
#include "platform/codepage.h"
#include "platform/qtext.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

namespace {

bool IsLowSurrogateAfterHigh(const QString& q, qsizetype i) {
    return i > 0 && i < q.size() && q[i].isLowSurrogate() && q[i - 1].isHighSurrogate();
}

void CheckOffsets(const QString& q, FuzzedDataProvider& in) {
    const std::string bytes = platform::QStringToCp932CrLf(q);
    const size_t total = platform::Cp932LengthCrLf(q, 0, q.size());
    FUZZ_CHECK(total == bytes.size());
    auto off = [&](qsizetype i) { return platform::Cp932LengthCrLf(q, 0, i); };
    for (int probes = 0; probes < 8 && !q.isEmpty(); ++probes) {
        const qsizetype i = in.ConsumeIntegralInRange<qsizetype>(0, q.size());
        if (IsLowSurrogateAfterHigh(q, i)) continue;
        FUZZ_CHECK(off(i) + platform::Cp932LengthCrLf(q, i, q.size()) == total);
        FUZZ_CHECK(platform::QStringToCp932CrLf(q.left(i)).size() == off(i));
        const qsizetype p = platform::PositionForCp932Offset(q, off(i));
        FUZZ_CHECK(p <= i && off(p) == off(i));
        const size_t b = in.ConsumeIntegralInRange<size_t>(0, total + 2);
        const qsizetype at = platform::PositionForCp932Offset(q, b);
        if (b > total) {
            FUZZ_CHECK(at == q.size());
        } else {
            FUZZ_CHECK(off(at) >= b && (at == 0 || off(at - 1) < b || IsLowSurrogateAfterHigh(q, at)));
        }
    }
}

bool IsValidUtf8(const std::string& s) {
    const QString decoded = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    return decoded.toUtf8() == QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

void CheckBytes(const std::string& bytes, FuzzedDataProvider& in) {
    const QString shown = platform::Cp932ToQString(bytes);
    const std::string back = platform::QStringToCp932(shown);
    if (back != bytes) {
        std::fprintf(stderr, "in:  %s\nout: %s\n", fuzz::Escaped(bytes).c_str(), fuzz::Escaped(back).c_str());
        FUZZ_CHECK(back == bytes);
    }
    const QString edited = platform::Cp932ToQStringLf(bytes);
    FUZZ_CHECK(!edited.contains(QChar('\r')));
    FUZZ_CHECK(platform::QStringToCp932CrLf(edited) == ToCrLf(bytes));
    CheckOffsets(edited, in);

    const std::string utf8 = platform::Cp932ToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(utf8));
    const std::string again = platform::Cp932ToUtf8(platform::Utf8ToCp932(utf8));
    FUZZ_CHECK(again == utf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange(0, 2);
    if (mode == 0) {
        // Bytes from a file, the settings file or the program itself: NUL-free.
        std::string bytes = in.ConsumeRandomLengthString(4096);
        std::erase(bytes, '\0');
        CheckBytes(bytes, in);
    } else if (mode == 1) {
        // Text typed or pasted into a widget: any UTF-16 code units.
        std::u16string units;
        while (in.remaining_bytes() >= 2 && units.size() < 2048) units.push_back(in.ConsumeIntegral<char16_t>());
        const QString typed = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
        std::string bytes = platform::QStringToCp932(typed);
        FUZZ_CHECK(platform::QStringToCp932(platform::Cp932ToQString(bytes)) == bytes);
        CheckOffsets(typed, in);
    } else {
        // Names, values and messages from a data source: any bytes as UTF-8.
        const std::string utf8 = in.ConsumeRemainingBytesAsString();
        std::string appended = "x";
        platform::AppendUtf8AsCp932(utf8, appended);
        const std::string converted = platform::Utf8ToCp932(utf8);
        FUZZ_CHECK(appended == "x" + converted);
        FUZZ_CHECK(IsValidUtf8(platform::Cp932ToUtf8(converted)));
    }
    return 0;
}
