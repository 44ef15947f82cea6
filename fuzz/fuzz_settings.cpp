// The settings file as a person may have hand-edited it. Properties:
//  - loading keeps the file's text byte for byte (ToString gives it back);
//  - the record read from it, saved (with fields changed as the dialogs
//    change them) and read again, gives the same values, and saving that
//    again changes no byte;
//  - a key set in the file reads back as set, every other key keeps its
//    value, and a save and load keep all of it.
#include "fuzz_check.h"
#include "settings/app_settings.h"
#include "settings/ini_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <fstream>
#include <iterator>
#include <tuple>
#include <vector>

namespace {

void WriteFile(const std::string& path, std::string_view data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    FUZZ_CHECK(out.good());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

auto Values(const AppSettings& s) {
    std::vector<int> sizes;
    for (const WinSize& w : s.winSize) {
        sizes.push_back(w.width);
        sizes.push_back(w.height);
    }
    return std::make_tuple(s.hostString, s.userName, s.password, s.timeout, s.resultMax, sizes, s.fontSize,
                           s.lineBreakCount, s.paramName, s.language);
}

// A text field as a single-line edit box can hold it.
std::string FieldText(FuzzedDataProvider& in) {
    std::string s = in.ConsumeRandomLengthString(AppSettings::kTextMax);
    std::erase_if(s, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return s;
}

void ChangeFields(AppSettings& s, FuzzedDataProvider& in) {
    if (in.ConsumeBool()) s.hostString = FieldText(in);
    if (in.ConsumeBool()) s.userName = FieldText(in);
    if (in.ConsumeBool()) s.password = FieldText(in);
    if (in.ConsumeBool()) s.paramName = FieldText(in);
    if (in.ConsumeBool()) s.timeout = in.ConsumeIntegral<int>();
    if (in.ConsumeBool()) s.resultMax = in.ConsumeIntegral<int>();
    if (in.ConsumeBool()) s.fontSize = in.ConsumeIntegral<int>();
    if (in.ConsumeBool()) s.lineBreakCount = in.ConsumeIntegral<int>();
    if (in.ConsumeBool()) s.language = in.ConsumeIntegral<int>();
    for (WinSize& w : s.winSize) {
        if (in.ConsumeBool()) w = {in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>()};
    }
}

void CheckRecordRoundTrip(const std::string& path, std::string_view file, FuzzedDataProvider& in) {
    WriteFile(path, file);
    decltype(Values(std::declval<AppSettings&>())) expected;
    {
        AppSettings first(path);
        ChangeFields(first, in);
        first.SaveSettings();
        expected = Values(first);
    }  // the destructor saves once more
    const std::string saved = ReadFile(path);
    {
        AppSettings second(path);
        if (Values(second) != expected) {
            std::fprintf(stderr, "saved file:\n%s\nhost '%s' user '%s' password '%s' name '%s'\n",
                         fuzz::Escaped(saved).c_str(), fuzz::Escaped(std::get<0>(expected)).c_str(),
                         fuzz::Escaped(std::get<1>(expected)).c_str(), fuzz::Escaped(std::get<2>(expected)).c_str(),
                         fuzz::Escaped(std::get<8>(expected)).c_str());
            FUZZ_CHECK(Values(second) == expected);
        }
    }
    FUZZ_CHECK(ReadFile(path) == saved);
}

// Names from a small alphabet, so that sections and keys meet, in either
// letter case.
std::string Name(FuzzedDataProvider& in) {
    static const char kLetters[] = "sSqQlL_1";
    std::string name;
    const size_t n = in.ConsumeIntegralInRange<size_t>(1, 4);
    for (size_t i = 0; i < n; ++i) name += kLetters[in.ConsumeIntegralInRange<size_t>(0, sizeof kLetters - 2)];
    return name;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

struct Probe {
    std::string section, key, value;
};

constexpr std::string_view kMissing = "\x01missing";
constexpr size_t kBig = 1 << 20;

void CheckKeyEdits(const std::string& path, std::string_view file, FuzzedDataProvider& in) {
    WriteFile(path, file);
    IniFile ini;
    FUZZ_CHECK(ini.Load(path));
    FUZZ_CHECK(ini.ToString() == file);

    std::vector<Probe> probes;
    const int edits = in.ConsumeIntegralInRange(1, 6);
    for (int e = 0; e < edits; ++e) {
        Probe p{Name(in), Name(in), {}};
        probes.push_back(p);
    }
    for (Probe& p : probes) p.value = ini.GetString(p.section, p.key, kMissing, kBig);

    for (int e = 0; e < edits && in.remaining_bytes() > 0; ++e) {
        Probe& target = probes[static_cast<size_t>(e)];
        std::string value = in.ConsumeRandomLengthString(64);
        ini.SetString(target.section, target.key, value);
        const size_t end = value.find_first_of(std::string_view("\r\n\0", 3));
        if (end != std::string::npos) value.resize(end);
        for (Probe& p : probes) {
            if (SameName(p.section, target.section) && SameName(p.key, target.key)) p.value = value;
        }
        for (const Probe& p : probes) {
            const std::string got = ini.GetString(p.section, p.key, kMissing, kBig);
            if (got != p.value) {
                std::fprintf(stderr, "[%s] %s: expected '%s', got '%s'\n", p.section.c_str(), p.key.c_str(),
                             fuzz::Escaped(p.value).c_str(), fuzz::Escaped(got).c_str());
                FUZZ_CHECK(got == p.value);
            }
        }
    }
    FUZZ_CHECK(!ini.Save(path));
    IniFile again;
    FUZZ_CHECK(again.Load(path));
    FUZZ_CHECK(again.ToString() == ini.ToString());
    for (const Probe& p : probes) FUZZ_CHECK(again.GetString(p.section, p.key, kMissing, kBig) == p.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string file = in.ConsumeRandomLengthString(4096);
    const std::string path = fuzz::ScratchDir() + "/vetch.ini";
    if (in.ConsumeBool()) {
        CheckRecordRoundTrip(path, file, in);
    } else {
        CheckKeyEdits(path, file, in);
    }
    return 0;
}
