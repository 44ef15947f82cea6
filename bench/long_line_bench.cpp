// A .sql file whose one line is a dump's multi-row INSERT (1 MiB, and 4 MiB
// for information), through the main window's own commands: opening it, a
// key press with word wrap off and on, and switching word wrap. Each step is
// timed until its repaint is done; a timer on the window thread meanwhile
// records the longest time the thread did not get to it (the stall a user
// sees). Times are wall clock; the window thread's CPU time is shown beside
// them, because on a shared machine the wall clock also counts other load.
#include "app/main_dlg.h"
#include "bench/bench_gui.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/sjis_format.h"
#include "resources/resource_ids.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;
constexpr int kKeysPerRound = 4;

std::string InsertLine(size_t size) {
    std::string line = "INSERT INTO sales.orders (order_id, customer_id, order_date, note) VALUES ";
    const std::string note = platform::Sjis("'東京都千代田区 テスト商品'");
    // Appended piece by piece: GCC's -O3 sees a false overlap in "(" + ...
    for (int i = 1; line.size() < size; ++i) {
        line += '(';
        line += std::to_string(i);
        line += ", ";
        line += std::to_string(i * 7 % 1000);
        line += ", '2024-01-";
        line += std::to_string(10 + i % 20);
        line += "', ";
        line += note;
        line += "),";
    }
    line.resize(size - 1);
    return line + ";";
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Wall and window-thread CPU milliseconds of each step, by step name.
struct Figures {
    std::map<std::string, std::vector<double>> wall, cpu;
};

// Pumps events until the window thread is idle, so that a step's time takes
// in the layout and the repaint it started.
void Settle() {
    bench::Pump();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

template <typename Step>
void Time(Figures& figures, const std::string& name, Step step) {
    const double cpu = ThreadCpuMs();
    const auto start = bench::Clock::now();
    step();
    Settle();
    figures.wall[name].push_back(bench::Seconds(start) * 1e3);
    figures.cpu[name].push_back(ThreadCpuMs() - cpu);
}

void Press(QWidget* edit, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &release);
}

// The longest gap between the ticks of a 5 ms timer on the window thread.
class StallProbe {
public:
    StallProbe() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = bench::Clock::now();
            longest_ = std::max(longest_, std::chrono::duration<double, std::milli>(now - last_).count());
            last_ = now;
        });
    }
    void Start() {
        longest_ = 0;
        last_ = bench::Clock::now();
        timer_.start();
    }
    double LongestMs() const { return longest_; }

private:
    QTimer timer_;
    bench::Clock::time_point last_;
    double longest_ = 0;
};

// Opens the file, puts the caret a little way into the line, then types and
// takes back, with word wrap off and on. Over the typing limit (4 MiB of
// mostly single-byte text) a typed character is refused, so there each key
// press is a Backspace.
Figures RunRounds(CMainDlg& dlg, double& stall) {
    Figures figures;
    StallProbe probe;
    probe.Start();
    for (int round = 0; round < kRounds; ++round) {
        Time(figures, "open", [&] { dlg.SendCommand(res::ID_FILE_OPEN); });
        dlg.curEdit->SetSel(4 * kKeysPerRound, 4 * kKeysPerRound);
        const bool typable = dlg.curEdit->document()->characterCount() < 2097152;
        const auto keys = [&](const std::string& name) {
            for (int k = 0; k < kKeysPerRound; ++k) {
                Time(figures, name, [&] {
                    if (typable) Press(dlg.curEdit, Qt::Key_X, "x");
                    else Press(dlg.curEdit, Qt::Key_Backspace, "");
                });
                Time(figures, name, [&] { Press(dlg.curEdit, Qt::Key_Backspace, ""); });
            }
        };
        keys("key, wrap off");
        Time(figures, "wrap on", [&] { dlg.SendCommand(res::ID_WORD_WRAP); });
        keys("key, wrap on");
        Time(figures, "wrap off", [&] { dlg.SendCommand(res::ID_WORD_WRAP); });
    }
    stall = probe.LongestMs();
    return figures;
}

double Max(const std::vector<double>& values) { return *std::max_element(values.begin(), values.end()); }
double Min(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

}  // namespace

int main(int argc, char** argv) {
    bench::UseOffscreenQt();
    QApplication app(argc, argv);
    char pattern[] = "/tmp/vetch-bench-longline.XXXXXX";
    const std::filesystem::path dir = mkdtemp(pattern);
    std::filesystem::current_path(dir);  // the settings file the window writes
    const std::string path = (dir / "dump.sql").string();
    platform::SetFileDialogResponder([&](const platform::FileDialogRequest&) { return std::optional(path); });
    int messages = 0;
    platform::SetMessageBoxResponder([&messages](const platform::ShownMessage&) {
        ++messages;
        return platform::IDOK;
    });

    bench::Summary summary;
    {
        auto dlg = bench::OpenMainWindow();
        for (const size_t mib : {1, 4}) {
            const std::string line = InsertLine(mib << 20);
            std::ofstream(path, std::ios::binary) << line;
            double stall = 0;
            const Figures figures = RunRounds(*dlg, stall);
            std::printf("\n%zu MiB line, %d rounds: median (min-max) ms wall, median ms window-thread CPU\n", mib,
                        kRounds);
            for (const char* step : {"open", "key, wrap off", "wrap on", "key, wrap on", "wrap off"}) {
                const std::vector<double>& wall = figures.wall.at(step);
                std::printf("  %-16s %8.1f (%.1f-%.1f)  cpu %8.1f\n", step, bench::Median(wall), Min(wall), Max(wall),
                            bench::Median(figures.cpu.at(step)));
            }
            const auto median = [&](const char* step) { return bench::Median(figures.wall.at(step)); };
            const std::string label = std::to_string(mib) + " MiB line: ";
            if (mib == 1) {
                summary.Target((label + "open").c_str(), median("open"), "ms", "<= 1000", median("open") <= 1000);
                for (const char* step : {"key, wrap off", "key, wrap on"}) {
                    summary.Target((label + step).c_str(), median(step), "ms", "<= 100", median(step) <= 100);
                }
                for (const char* step : {"wrap on", "wrap off"}) {
                    summary.Target((label + step).c_str(), median(step), "ms", "<= 1000", median(step) <= 1000);
                }
                summary.Target((label + "longest stall").c_str(), stall, "ms", "<= 1000", stall <= 1000);
            } else {
                for (const char* step : {"open", "key, wrap off", "key, wrap on", "wrap on", "wrap off"}) {
                    bench::Summary::Info((label + step).c_str(), median(step), "ms");
                }
                bench::Summary::Info((label + "longest stall").c_str(), stall, "ms");
            }
            dlg->SendCommand(res::ID_FILE_OPEN);
            const bool same = dlg->EditorText() == line;
            summary.Target((label + "text unchanged after the edits").c_str(), same ? 1 : 0, "", "1", same);
        }
        dlg->curEdit->SetText("");
        dlg->DestroyWindow();
    }
    summary.Target("messages shown", messages, "", "0", messages == 0);
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return summary.all ? 0 : 2;
}
