// CDbInfoDlg: the modeless catalogue browser of the open connection. The
// left list shows the tables or procedures of a schema, the right one the
// columns, primary key or unique indexes of the one clicked (a procedure's
// parameters and result columns), each under the driver's own column names.
#pragma once

#include "results/result_window.h"
#include "results/answer_request.h"
#include "results/catalog_query.h"
#include "results/result_grid.h"

#include <QFont>

#include <cstdint>
#include <memory>
#include <vector>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

class CDbInfoDlg : public CResultWindow {
    Q_OBJECT

public:
    // Which list copy and select-all act on: the one that last had the focus.
    enum class Focus : int32_t { None = 0, ObjectList = 1, DetailList = 2 };

    // Creates and shows the window; it asks the database nothing until a
    // kind is chosen.
    CDbInfoDlg(ResultWindowHost& host, int slotIndex, int bufferNumber);

    // Re-creates both lists' fonts from the font size setting.
    void ApplyFont() override;

    // The table or procedure name last picked in the object list.
    const std::string& SelectedName() const { return selectedName; }
    // The schema text last taken from the schema edit.
    const std::string& Schema() const { return schema; }
    Focus FocusTarget() const { return focusTarget; }
    // A catalogue answer is on its way to one of the lists.
    bool Loading() const { return objectsRun->Running() || detailsRun->Running(); }

    QPushButton* copyButton = nullptr;
    QLineEdit* schemaEdit = nullptr;
    QComboBox* detailKindCombo = nullptr;
    QComboBox* objectKindCombo = nullptr;
    results::ResultGrid* objectList = nullptr;
    results::ResultGrid* detailList = nullptr;

protected:
    void Layout() override;
    void OnInitWindow() override;
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnEscape() override;

private:
    void CheckSchema();
    void OnObjectKindChosen();
    void LoadObjects();
    void LoadDetails();
    void Pick();
    void RunCatalogQuery(results::CatalogQuery query, results::AnswerRequest* run, results::RowFilter keep);
    void ShowCatalogAnswer(results::ResultGrid* target, results::Answer& answer);
    results::ResultGrid* FocusedList() const;
    void OnCopy();
    void OnSelectAll();

    std::string schema;
    int32_t objectKind = 0;
    int32_t detailKind = 0;
    Focus focusTarget = Focus::None;
    std::string selectedName;
    // The picked name as the driver gave it (UTF-8): the detail questions
    // ask with this one, since a name need not survive the code page.
    std::string selectedRawName;
    // Every object row's name as the driver gave it, by row number - 1;
    // filled on the connection thread while the rows are read.
    std::shared_ptr<std::vector<std::string>> objectRawNames;
    std::shared_ptr<std::vector<std::string>> loadingRawNames;
    // The answers on their way to the object list and the detail list.
    results::AnswerRequest* objectsRun = nullptr;
    results::AnswerRequest* detailsRun = nullptr;
    QFont objectListFont;
    QFont detailListFont;
};
