// Opening and saving a 16 MiB SQL file, and word wrap on and off with that
// text, through the main window's own commands. Opening is compared with
// reading the file and setting its text into the editor once; saving with
// getting the text out of the editor and writing it to a file once.
#include "app/main_dlg.h"
#include "bench/bench_report.h"
#include "platform/cdialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "resources/resource_ids.h"
#include "sql_text.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

CMainDlg* g_dlg = nullptr;
std::string g_path;
std::string g_copyPath;

// Milliseconds of each timed round, per benchmark name.
std::map<std::string, std::vector<double>> g_ms;

template <typename Work>
void Timed(benchmark::State& state, const char* name, Work work) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        const double ms = std::chrono::duration<double, std::milli>(end - start).count();
        g_ms[name].push_back(ms);
        state.SetIterationTime(ms / 1000);
    }
    sqltext::SetRate(state);
}

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return bytes;
    bytes.resize(static_cast<size_t>(::lseek(fd, 0, SEEK_END)));
    ::lseek(fd, 0, SEEK_SET);
    size_t have = 0;
    while (have < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n <= 0) break;
        have += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(have);
    return bytes;
}

void WriteWhole(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

void BM_ReadAndSetText(benchmark::State& state) {
    Timed(state, "read+set", [] { g_dlg->curEdit->SetText(ReadWhole(g_path)); });
}

void BM_Open(benchmark::State& state) {
    Timed(state, "open", [] { g_dlg->SendCommand(res::ID_FILE_OPEN); });
}

void BM_GetTextAndWrite(benchmark::State& state) {
    Timed(state, "get+write", [] { WriteWhole(g_copyPath, g_dlg->EditorText()); });
}

void BM_Save(benchmark::State& state) {
    Timed(state, "save", [] { g_dlg->SendCommand(res::ID_FILE_SAVE); });
}

void BM_WordWrapOnOff(benchmark::State& state) {
    Timed(state, "word wrap", [] {
        g_dlg->SendCommand(res::ID_WORD_WRAP);
        QCoreApplication::processEvents();  // the layout the switch starts
    });
}

using bench::Median;

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    char pattern[] = "/tmp/vetch-bench-files.XXXXXX";
    const std::filesystem::path dir = mkdtemp(pattern);
    std::filesystem::current_path(dir);
    g_path = (dir / "script.sql").string();
    g_copyPath = (dir / "copy.sql").string();
    WriteWhole(g_path, sqltext::SqlText());

    platform::CDialog::SetModalDriver([](platform::CDialog&) {});  // the connect dialog at start
    platform::SetFileDialogResponder([](const platform::FileDialogRequest&) { return std::optional(g_path); });
    int failures = 0;
    platform::SetMessageBoxResponder([&failures](const platform::ShownMessage&) {
        ++failures;
        return platform::IDOK;
    });

    int status = 0;
    {
        CMainDlg dlg;
        dlg.Create(nullptr);
        QCoreApplication::processEvents();
        g_dlg = &dlg;

        // Pairs alternate, so that a slow spell of the machine hits both sides.
        using Fn = void (*)(benchmark::State&);
        const std::pair<const char*, Fn> benches[] = {{"read+set", BM_ReadAndSetText},
                                                      {"open", BM_Open},
                                                      {"get+write", BM_GetTextAndWrite},
                                                      {"save", BM_Save},
                                                      {"word wrap on/off", BM_WordWrapOnOff}};
        for (const auto& [name, fn] : benches) {
            benchmark::RegisterBenchmark(name, fn)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(fn == BM_WordWrapOnOff ? 20 : 5)
                ->Repetitions(3);
        }
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();

        const bool sameText = dlg.EditorText() == sqltext::SqlText();
        const double open = Median(g_ms["open"]), readSet = Median(g_ms["read+set"]);
        const double save = Median(g_ms["save"]), getWrite = Median(g_ms["get+write"]);
        const double wrapWorst = g_ms["word wrap"].empty()
                                     ? 0
                                     : *std::max_element(g_ms["word wrap"].begin(), g_ms["word wrap"].end());
        const bool openPass = readSet > 0 && open <= 1.5 * readSet;
        const bool savePass = getWrite > 0 && save <= 1.5 * getWrite;
        const bool wrapPass = !g_ms["word wrap"].empty() && wrapWorst < 100;
        std::printf("\n16 MiB SQL file, medians of %zu rounds\n", g_ms["open"].size());
        std::printf("open       %8.1f ms / read + set text %8.1f ms = %.2f (target <= 1.5): %s\n", open, readSet,
                    readSet > 0 ? open / readSet : 0, openPass ? "PASS" : "FAIL");
        std::printf("save       %8.1f ms / get text + write %7.1f ms = %.2f (target <= 1.5): %s\n", save, getWrite,
                    getWrite > 0 ? save / getWrite : 0, savePass ? "PASS" : "FAIL");
        std::printf("word wrap  median %.1f ms, worst %.1f ms (target < 100 ms): %s\n", Median(g_ms["word wrap"]),
                    wrapWorst, wrapPass ? "PASS" : "FAIL");
        std::printf("saved file equals the text: %s; messages shown: %d\n",
                    ReadWhole(g_path) == sqltext::SqlText() && sameText ? "yes" : "NO", failures);
        if (!openPass || !savePass || !wrapPass || failures) status = 2;
        dlg.curEdit->SetText("");
        dlg.DestroyWindow();
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return status;
}
