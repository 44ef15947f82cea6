// Fixture for window tests: runs each test in a fresh current directory (the
// settings file lives there) and answers every modal thing by script, so no
// test ever blocks on a modal loop.
#pragma once

#include "platform/cdialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/qtext.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldDir_ = std::filesystem::current_path();
        char pattern[] = "/tmp/vetch-gui-XXXXXX";
        dir_ = mkdtemp(pattern);
        std::filesystem::current_path(dir_);
        platform::ShownMessages().clear();
        platform::SetMessageBoxResponder([this](const platform::ShownMessage& shown) {
            // Leaving ends the process with status 0: a test that did not
            // mean to would pass unseen, with the rest of the suite unrun.
            if (!leaveAllowed && shown.text.find(platform::Sjis("待たずに終了")) != std::string::npos) {
                std::fprintf(stderr, "the database work did not end: the program asked to leave without it\n");
                std::_Exit(1);
            }
            return messageAnswer;
        });
        platform::ShownFileDialogs().clear();
        platform::SetFileDialogResponder([this](const platform::FileDialogRequest& request) {
            return fileAnswer ? fileAnswer(request) : std::nullopt;
        });
        platform::CDialog::SetModalDriver([this](platform::CDialog& dialog) {
            modalShown.push_back(dialog.Template().id);
            if (modalDriver) modalDriver(dialog);
        });
    }

    void TearDown() override {
        platform::SetMessageBoxResponder(nullptr);
        platform::SetFileDialogResponder(nullptr);
        platform::CDialog::SetModalDriver(nullptr);
        std::filesystem::current_path(oldDir_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Runs queued events (posted commands, deferred deletes).
    static void Pump() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }

    // Types text as a keyboard does, one key per character (QTest's own
    // typing knows ASCII only).
    static void TypeKeys(QWidget* widget, const QString& text) {
        for (QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &key);
        }
    }
    // A dialog's edit emptied and typed into, and a button pressed, as a user does.
    static void Retype(platform::CDialog& d, int id, const std::string& cp932) {
        d.Item<QLineEdit>(id)->clear();
        QTest::keyClicks(d.Item<QLineEdit>(id), platform::Cp932ToQString(cp932));
    }
    static void Press(platform::CDialog& d, int id) { qobject_cast<QPushButton*>(d.GetDlgItem(id))->click(); }
    // The program's UTF-8 literal as the CP932 bytes the windows hold.
    static std::string S(const char* utf8) { return platform::Sjis(utf8); }

    std::vector<platform::ShownMessage>& Messages() { return platform::ShownMessages(); }
    // Every file dialog asked for, in order.
    std::vector<platform::FileDialogRequest>& FileDialogs() { return platform::ShownFileDialogs(); }

    const std::filesystem::path& Dir() const { return dir_; }

    int messageAnswer = platform::IDOK;
    // The main window may ask whether to leave while the database work hangs.
    bool leaveAllowed = false;
    // Answers a file dialog with a path; unset, or nothing returned, cancels.
    std::function<std::optional<std::string>(const platform::FileDialogRequest&)> fileAnswer;
    std::function<void(platform::CDialog&)> modalDriver;
    std::vector<int> modalShown;

private:
    std::filesystem::path oldDir_;
    std::filesystem::path dir_;
};
