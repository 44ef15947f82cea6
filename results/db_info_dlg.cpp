#include "results/db_info_dlg.h"

#include "platform/clipboard_writer.h"
#include "db/connection_thread.h"
#include "db/odbc_conn.h"
#include "platform/combo_box.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "platform/qtext.h"
#include "resources/resource_ids.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

// The caption stays "ﾃﾞｰﾀﾍﾞｰｽ情報", without the buffer number.
constexpr CResultWindow::Kind kKind{res::IDD_DB_INFO, ResultWindowHost::kDbInfoGroup, AppSettings::kDbInfo, false,
                                    false};

// Column of an object answer holding the name the detail questions take:
// the third answer column (TABLE_NAME, PROCEDURE_NAME), after "件数". Found
// by position, since drivers spell the captions as they like.
constexpr int kNameColumn = 3;

}  // namespace

CDbInfoDlg::CDbInfoDlg(ResultWindowHost& host, int slotIndex, int bufferNumber)
    : CResultWindow(kKind, host, slotIndex, bufferNumber) {
    MapCommand(res::IDC_COPY, [this] { OnCopy(); });
    MapCommand(res::IDC_SELECT_ALL, [this] { OnSelectAll(); });
    Open();
}

QWidget* CDbInfoDlg::CreateControl(const platform::DlgControl& control, QWidget* parent) {
    if (control.id == res::IDC_OBJECT_LIST || control.id == res::IDC_DETAIL_LIST) {
        const bool objects = control.id == res::IDC_OBJECT_LIST;
        auto* list = new results::ResultGrid(parent);
        const Focus target = objects ? Focus::ObjectList : Focus::DetailList;
        connect(list, &results::ResultGrid::FocusGained, this, [this, target] { focusTarget = target; });
        (objects ? objectList : detailList) = list;
        return list;
    }
    QWidget* widget = CResultWindow::CreateControl(control, parent);
    if (control.id == res::IDC_SCHEMA) {
        schemaEdit = qobject_cast<QLineEdit*>(widget);
        schemaEdit->installEventFilter(this);
    } else if (control.id == res::IDC_OBJECT_KIND) {
        objectKindCombo = qobject_cast<QComboBox*>(widget);
    } else if (control.id == res::IDC_DETAIL_KIND) {
        detailKindCombo = qobject_cast<QComboBox*>(widget);
    } else if (control.id == res::IDC_COPY) {
        copyButton = qobject_cast<QPushButton*>(widget);
    }
    return widget;
}

void CDbInfoDlg::OnInitWindow() {
    schema.clear();
    objectKind = 0;
    detailKind = 0;
    focusTarget = Focus::None;
    objectList->ShowMessageColumn();
    detailList->ShowMessageColumn();
    // A driver whose databases stand where schemas would (MariaDB) is asked
    // for the tables of the current database; the others for the user's
    // schema. Both are set when the connection opens, which the modal
    // connect dialog keeps apart from this window.
    const COdbcConn& db = connection->Conn();
    schemaEdit->setText(
        platform::Cp932ToQString(db.UsesCatalogsForSchemas() ? db.CurrentCatalog() : settings->userName));

    connect(objectKindCombo, &QComboBox::currentIndexChanged, this, [this] { OnObjectKindChosen(); });
    connect(detailKindCombo, &QComboBox::currentIndexChanged, this, [this] { LoadDetails(); });
    connect(objectList, &results::ResultGrid::Clicked, this, [this] { Pick(); });

    for (results::ResultGrid* list : {objectList, detailList}) {
        auto* run = new results::AnswerRequest(
            *connection, [this, list](results::Answer& answer) { ShowCatalogAnswer(list, answer); },
            [list](const std::string& text) { list->ShowMessage(text); }, this);
        (list == objectList ? objectsRun : detailsRun) = run;
    }
}

void CDbInfoDlg::ApplyFont() {
    objectListFont = platform::WindowFont(settings->fontSize);
    detailListFont = platform::WindowFont(settings->fontSize);
    objectList->setFont(objectListFont);
    detailList->setFont(detailListFont);
}

void CDbInfoDlg::Layout() {
    const int width = std::max(0, ClientWidth());
    const int height = std::max(0, ClientHeight() - 55);
    // The integer part of 0.4 x the width.
    const int w = width * 2 / 5;
    objectList->setGeometry(8, 45, w, height);
    detailList->setGeometry(15 + w, 45, std::max(0, width - w - 24), height);
}

void CDbInfoDlg::CheckSchema() {
    const std::string text = platform::QStringToCp932(schemaEdit->text());
    const bool changed = results::SchemaDiffers(schema, text) && platform::ComboSelection(objectKindCombo) >= 0;
    // A change of letter case alone is kept, though it loads nothing.
    schema = text;
    if (changed) LoadObjects();
}

void CDbInfoDlg::OnObjectKindChosen() {
    // The schema shown is the one asked for, even when the edit never had
    // the focus to lose (the proposed user name, or a kind chosen with the
    // mouse wheel while typing).
    schema = platform::QStringToCp932(schemaEdit->text());
    LoadObjects();
}

void CDbInfoDlg::LoadObjects() {
    objectKind = platform::ComboSelection(objectKindCombo);
    const std::optional<results::CatalogQuery> query = results::ObjectQuery(objectKind);
    if (!query) return;
    // The program's own changes of the detail kind load nothing.
    const QSignalBlocker quiet(detailKindCombo);
    platform::ResetComboItems(detailKindCombo);
    if (objectKind == results::kTableObjects) {
        for (const char* item : {"項目情報", "主ｷｰ情報", "索引情報"}) {
            platform::AddComboItem(detailKindCombo, platform::Sjis(item));
        }
    } else {
        platform::AddComboItem(detailKindCombo, platform::Sjis("項目情報"));
    }
    selectedName.clear();
    selectedRawName.clear();
    detailsRun->Drop();
    detailList->ShowMessageColumn();
    // The old rows stay until the answer replaces them, so a quick answer
    // shows no empty list in between.
    auto names = std::make_shared<std::vector<std::string>>();
    loadingRawNames = names;
    RunCatalogQuery(*query, objectsRun, [names](const COdbcConn& conn) {
        names->emplace_back();
        conn.GetRawValue(results::kAnswerNameColumn, names->back());
        return true;
    });
    platform::SelectComboItem(detailKindCombo, 0);
}

void CDbInfoDlg::Pick() {
    // Rows of an earlier kind still shown while the new ones load pick nothing.
    if (objectsRun->Running()) return;
    const std::vector<int> rows = objectList->SelectedRows();
    const results::ResultGridModel& model = objectList->Model();
    selectedName.clear();
    selectedRawName.clear();
    if (!rows.empty() && model.ColumnCount() > kNameColumn) {
        selectedName = model.CellText(rows.front(), kNameColumn);
        // Column 0 holds the row's number from before any sorting.
        const std::size_t item = std::strtoul(std::string(model.CellText(rows.front(), 0)).c_str(), nullptr, 10) - 1;
        if (objectRawNames && item < objectRawNames->size()) selectedRawName = (*objectRawNames)[item];
    }
    LoadDetails();
}

void CDbInfoDlg::LoadDetails() {
    if (selectedName.empty()) return;
    detailKind = platform::ComboSelection(detailKindCombo);
    const std::optional<results::CatalogQuery> query = results::DetailQuery(objectKind, detailKind);
    if (query) {
        RunCatalogQuery(*query, detailsRun, [name = selectedRawName](const COdbcConn& conn) {
            return results::RowNamesExactly(conn, name);
        });
    } else {
        detailsRun->Drop();
        detailList->Model().Clear();
    }
}

void CDbInfoDlg::RunCatalogQuery(results::CatalogQuery query, results::AnswerRequest* run, results::RowFilter keep) {
    // The whole allocate -> ask -> read -> free sequence is one piece of work
    // on the connection thread, so no batch statement runs in between; the
    // answer is read whole, and the open window keeps nothing of the database.
    auto ask = [query, schema = schema, name = selectedRawName](COdbcConn& conn) {
        return results::RunCatalogCall(conn, query, schema, name);
    };
    run->Start(std::move(ask), false, settings->fontSize, settings->resultMax, std::move(keep));
}

void CDbInfoDlg::ShowCatalogAnswer(results::ResultGrid* target, results::Answer& answer) {
    if (target == objectList) objectRawNames = std::move(loadingRawNames);
    if (answer.cancelled) {
        target->ShowMessage(results::AnswerRequest::CancelledText());
        return;
    }
    target->ShowAnswer(answer);
    // The rows read before a failure stay; the box waits for the user with
    // the connection free.
    if (!answer.fetchFailure.empty()) {
        platform::MessageBox(this, answer.fetchFailure, platform::MB_ICONEXCLAMATION | platform::MB_OK);
    }
}

void CDbInfoDlg::OnEscape() {
    for (results::AnswerRequest* run : {objectsRun, detailsRun}) {
        if (!run->Running()) continue;
        run->Cancel();
        (run == objectsRun ? objectList : detailList)->ShowMessage(results::AnswerRequest::CancelledText());
    }
}

results::ResultGrid* CDbInfoDlg::FocusedList() const {
    if (focusTarget == Focus::ObjectList) return objectList;
    if (focusTarget == Focus::DetailList) return detailList;
    return nullptr;
}

void CDbInfoDlg::OnCopy() {
    results::ResultGrid* list = FocusedList();
    if (!list) return;
    platform::ClipboardTextBuilder text = list->CopySelectedText();
    if (!text.Empty()) clipboard->CopyTextToClipboard(this, std::move(text));
}

void CDbInfoDlg::OnSelectAll() {
    if (results::ResultGrid* list = FocusedList()) list->SelectAllRows();
}

bool CDbInfoDlg::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the edit takes its schema; a context menu only borrows the
    // focus, and a window being destroyed asks nothing more.
    if (watched == schemaEdit && event->type() == QEvent::FocusOut && !IsDestroyed() &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        CheckSchema();
    }
    return CResultWindow::eventFilter(watched, event);
}
