// The recovery journal with 2 MB in each of the five buffers: how long the
// window thread stalls while the user types and the journal is taken and
// written, and how fast the journal is written against the atomic writer
// writing the same bytes.
#include "app/journal_session.h"
#include "bench/bench_gui.h"
#include "platform/atomic_file.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/qtext.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr size_t kBufferBytes = 2 * 1024 * 1024;
constexpr int kRounds = 5;
constexpr int kWrites = 7;

std::string MakeSql(char tag) {
    const std::string japanese = platform::Sjis("社員名 = '山田太郎' and 備考 = '髙～'");
    std::string out;
    for (int line = 0; out.size() < kBufferBytes; ++line) {
        out += "select col_" + std::to_string(line) + ", " + tag + " from orders where " + japanese + "\r\n";
    }
    out.resize(kBufferBytes);
    return out;
}

void TypeKey(CMainDlg& dlg) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QCoreApplication::sendEvent(dlg.curEdit, &key);
}

void ChangeAllFive(CMainDlg& dlg) {
    for (int b = 4; b >= 0; --b) {
        dlg.SendCommand(res::ID_BUFFER_1 + b);
        TypeKey(dlg);
    }
}

// Types a key every 20 ms for a while with a 5 ms tick on the window thread:
// the longest time between two ticks. The journal's delay runs out in it.
double WorstGapWhileTyping(CMainDlg& dlg) {
    double worst = 0;
    int ticks = 0;
    auto last = bench::Clock::now();
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        worst = std::max(worst, bench::Seconds(last) * 1000);
        if (++ticks % 4 == 0) TypeKey(dlg);
        last = bench::Clock::now();
    });
    QEventLoop loop;
    QTimer::singleShot(2600, &loop, &QEventLoop::quit);  // one journal delay and a little
    last = bench::Clock::now();
    tick.start();
    loop.exec();
    if (dlg.journal) dlg.journal->writer->WaitIdle();
    return worst;
}

std::unique_ptr<CMainDlg> FilledWindow(bool journal) {
    platform::CDialog::SetModalDriver([](platform::CDialog&) {});
    auto dlg = std::make_unique<CMainDlg>();
    dlg->keepJournal = journal;
    dlg->Create(nullptr);
    bench::Pump();
    for (int b = 0; b < 5; ++b) {
        dlg->SendCommand(res::ID_BUFFER_1 + b);
        dlg->curEdit->SetText(MakeSql(static_cast<char>('a' + b)));
    }
    return dlg;
}

void PrintSpread(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-46s median %8.2f ms, min %8.2f, max %8.2f (%zu runs)\n", what, bench::Median(ms), ms.front(),
                ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    bench::UseOffscreenQt();
    QApplication app(argc, argv);
    char pattern[] = "/tmp/vetch-bench-journal.XXXXXX";
    const std::filesystem::path dir = mkdtemp(pattern);
    std::filesystem::current_path(dir);
    platform::SetMessageBoxResponder([](const platform::ShownMessage& shown) {
        std::printf("message: %s\n", platform::Cp932ToUtf8(shown.text).c_str());
        return platform::IDOK;
    });
    bench::Summary summary;

    // Typing with and without the journal, the same way, all five buffers
    // changed before each round. The journal's own share of the window
    // thread, taking the five texts and handing them over, is timed alone:
    // the gaps also hold whatever else the machine does.
    std::vector<double> with, without, takeMs;
    int written = 0;
    {
        auto plain = FilledWindow(false);
        auto journaled = FilledWindow(true);
        for (int round = 0; round < kRounds; ++round) {
            ChangeAllFive(*plain);
            without.push_back(WorstGapWhileTyping(*plain));
            ChangeAllFive(*journaled);
            const auto start = bench::Clock::now();
            journaled->WriteJournal();
            takeMs.push_back(bench::Seconds(start) * 1000);
            ChangeAllFive(*journaled);
            with.push_back(WorstGapWhileTyping(*journaled));
        }
        written = journaled->journal->writer->Written();
        journaled->FinishCleanExit();
        plain->DestroyWindow();
        journaled->DestroyWindow();
    }
    std::printf("\ntyping with 5 x 2 MB buffers, %d rounds:\n", kRounds);
    PrintSpread("worst window-thread gap, no journal", without);
    PrintSpread("worst window-thread gap, journaled", with);
    PrintSpread("journal's window-thread work, all five changed", takeMs);
    std::printf("journals written: %d\n", written);

    // Writing: every buffer changed, so everything is converted, encoded and
    // checksummed, against the atomic writer writing the journal's bytes.
    JournalSnapshot snapshot;
    for (int b = 0; b < 5; ++b) {
        snapshot.buffers[b].text = platform::Cp932ToQStringLf(MakeSql(static_cast<char>('a' + b)));
        snapshot.buffers[b].fileName = "/home/user/sql/" + std::to_string(b) + ".sql";
    }
    const std::string journalPath = (dir / ".vetch.journal").string();
    std::vector<double> journalMs, atomicMs;
    {
        JournalWriter writer(journalPath, [](std::error_code error) {
            std::printf("journal write failed: %s\n", error.message().c_str());
        });
        for (int i = 0; i < kWrites; ++i) {
            for (auto& b : snapshot.buffers) ++b.version;
            auto start = bench::Clock::now();
            writer.Post(snapshot);
            writer.WaitIdle();
            journalMs.push_back(bench::Seconds(start) * 1000);
            std::string bytes;
            ReadWholeFile(journalPath, bytes);
            start = bench::Clock::now();
            platform::WriteFileAtomically((dir / "same.bytes").string(), bytes, platform::kOwnerOnlyMode);
            atomicMs.push_back(bench::Seconds(start) * 1000);
        }
    }
    const double mb = static_cast<double>(std::filesystem::file_size(journalPath)) / (1024 * 1024);
    std::printf("\nwriting a %.1f MB journal, all five buffers changed:\n", mb);
    PrintSpread("journal (convert, encode, checksum, write)", journalMs);
    PrintSpread("atomic writer, the same bytes", atomicMs);
    const double ratio = bench::Median(atomicMs) / bench::Median(journalMs);
    std::printf("\n");
    bench::Summary::Info("journal throughput, median", mb / (bench::Median(journalMs) / 1000), "MB/s");
    const double worstTake = *std::max_element(takeMs.begin(), takeMs.end());
    summary.Target("journal's window-thread stall, worst", worstTake, "ms", "< 50 ms", worstTake < 50);
    summary.Target("journal / atomic writer throughput (medians)", ratio, "", ">= 0.25", ratio >= 0.25);
    std::filesystem::current_path("/");
    std::filesystem::remove_all(dir);
    return summary.all ? 0 : 1;
}
