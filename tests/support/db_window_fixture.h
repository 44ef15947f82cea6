// Fixture for window tests that need a connection: the main window opened as
// the program starts it, then connected to the data source of the parameter.
#pragma once

#include "results/batch_run_dlg.h"
#include "results/log_list.h"
#include "results/result_list.h"
#include "support/main_window_fixture.h"
#include "support/odbc_env.h"

#include <QApplication>

#include <functional>
#include <string>
#include <vector>

class DbWindowTest : public MainWindowFixture, public ::testing::WithParamInterface<vetch_test::Db> {
protected:
    using Texts = std::vector<std::string>;

    void SetUp() override {
        MainWindowFixture::SetUp();
        VETCH_REQUIRE_DB(GetParam());
        dlg = Open();
        ASSERT_EQ(vetch_test::ConnectTo(dlg->conn, GetParam()), 0);
    }
    void TearDown() override {
        dlg.reset();
        MainWindowFixture::TearDown();
    }
    bool Postgres() const { return GetParam() == vetch_test::Db::Postgres; }
    void Exec(const std::string& sql) {
        std::string message;
        ASSERT_GE(vetch_test::RunSql(dlg->conn, sql, &message), 0) << sql << ": " << message;
    }

    static bool ServeUntil(const std::function<bool()>& done, int milliseconds = 60000) {
        return platform::ServeUntil(done, milliseconds);
    }
    static Texts Captions(const results::ResultGrid* list) {
        Texts out;
        for (int c = 0; c < list->Model().ColumnCount(); ++c) out.push_back(list->Model().Column(c).caption);
        return out;
    }
    static Texts Column(const results::ResultGrid* list, int column) {
        Texts out;
        for (int r = 0; r < list->Model().RowCount(); ++r) out.emplace_back(list->Model().CellText(r, column));
        return out;
    }
    CBatchRunDlg* BatchWindow(int slot) const {
        return qobject_cast<CBatchRunDlg*>(dlg->SlotWindow(ResultWindowHost::kBatchRunGroup, slot));
    }
    // Types the script and presses F10: the window it opened, or null. The
    // run has started and waits for its first line to be shown.
    CBatchRunDlg* F10(const std::string& script) {
        int slot = 0;
        while (slot < ResultWindowHost::kSlotsPerGroup && BatchWindow(slot)) ++slot;
        dlg->curEdit->SetText(script);
        QTest::keyClick(dlg->curEdit, Qt::Key_F10);
        return slot < ResultWindowHost::kSlotsPerGroup ? BatchWindow(slot) : nullptr;
    }
    static Texts Log(CBatchRunDlg* w) { return w->log->Lines(); }
    static void Focus(QWidget* window, QWidget* control) {
        QApplication::setActiveWindow(window);
        control->setFocus();
    }

    std::unique_ptr<CMainDlg> dlg;
};

