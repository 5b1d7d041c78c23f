// The list's operations on the tables: adding and editing phone-book records, reading the set's
// lists, the text import and export. The work is in client/data; here the dialogs, the wait
// window and the list's refresh.
#include <QApplication>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QTableView>
#include <exception>
#include <string>
#include <vector>

#include "client/data/Database.h"
#include "client/data/DbException.h"
#include "client/data/DeviceListReading.h"
#include "client/data/PhoneBook.h"
#include "client/data/PhoneBookText.h"
#include "client/data/Statements.h"
#include "client/resources/Strings.h"
#include "client/resources/resource.h"
#include "client/shell/DataGridView.h"
#include "client/shell/GridModel.h"
#include "client/shell/Prompts.h"
#include "client/shell/RecordDialog.h"
#include "client/shell/WaitCursor.h"
#include "client/shell/WaitDialog.h"
#include "platform/profile/FonedeskProfile.h"
#include "platform/profile/ProfileFile.h"

namespace fonedesk {
namespace {

namespace st = statements;

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString TableName(std::string_view table) {
    return QString::fromUtf8(table.data(), static_cast<qsizetype>(table.size()));
}

platform::ProfileFile Profile() {
    return platform::ProfileFile(platform::ProfileFile::DefaultPath());
}

// The error of a failed import or export, after the wait window has gone.
void ShowOperationError(QWidget* owner, const std::string& text) {
    CPrompts::Message(owner, QMessageBox::Warning, FromUtf8(ClipErrorText(text)), QMessageBox::Ok);
}

}  // namespace

void CDataGridView::WaitForQueryEnd() {
    if (!IsQueryRunning()) {
        return;
    }
    CancelQuery();
    // The worker's end arrives through this thread's event loop and announces itself.
    QEventLoop loop;
    const QMetaObject::Connection ended =
        connect(this, &CDataGridView::commandStateChanged, &loop, &QEventLoop::quit);
    while (IsQueryRunning()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    disconnect(ended);
}

void CDataGridView::OnAddRecord() {
    if (IsQueryRunning()) {
        CancelQuery();
        return;
    }
    CRecordDialog dialog(false, false, this);
    dialog.SetTitleId(IDS_RECORD_ADD);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    bool added = false;
    {
        CWaitCursor cursor;
        added =
            AddPhoneBookRecord(Database(), dialog.Phone().toStdString(),
                               dialog.Subscriber().toStdString(), dialog.Comment().toStdString());
    }
    if (added) {
        ShowPhoneBook(TableName(st::kPhoneBook), -1);
    } else {
        CPrompts::Message(this, QMessageBox::Warning, QString::fromUtf8(texts::kRecordExists),
                          QMessageBox::Ok);
    }
}

void CDataGridView::OnEditRecord() {
    const QModelIndexList rows = TableView()->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    int row = rows.first().row();
    for (const QModelIndex& index : rows) {
        row = std::min(row, index.row());
    }
    CGridModel& model = *Model();
    const std::int32_t rid = model.Rid(row);
    CRecordDialog dialog(true, false, this);
    dialog.SetTitleId(IDS_RECORD_EDIT);
    dialog.SetTexts(model.Text(row, 0), model.Text(row, 1), model.Text(row, 2));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    CWaitCursor cursor;
    std::string error;
    const std::vector<std::string> texts{dialog.Phone().toStdString(),
                                         dialog.Subscriber().toStdString(),
                                         dialog.Comment().toStdString()};
    if (UpdatePhoneBookRecord(Database(), rid, texts[0], texts[1], texts[2], error)) {
        model.SetRowTexts(row, texts);
    } else {
        CPrompts::Message(this, QMessageBox::Warning, FromUtf8(ClipErrorText(error)),
                          QMessageBox::Ok);
    }
}

void CDataGridView::ReadCallLogs(IDeviceLists& device, Report report) {
    WaitForQueryEnd();
    CWaitDialog wait(window(), QString::fromUtf8(texts::kReadingCalls));
    wait.show();
    const CallLogReading reading = fonedesk::ReadCallLogs(Database(), device, Profile(), wait);
    if (report == Report::Always || HasProblems(reading)) {
        wait.Finish(FromUtf8(CallLogReadingMessage(reading)));
    }
    wait.hide();
    const QString table = CurrentTable();
    if (table == TableName(st::kIncomingCalls) || table == TableName(st::kOutgoingCalls)) {
        ShowCallLog(table, -1);
    } else {
        ShowCallLog(TableName(st::kIncomingCalls), -1);
    }
}

void CDataGridView::ReadDevicePhoneBook(IDeviceLists& device) {
    WaitForQueryEnd();
    CWaitDialog wait(window());
    wait.show();
    const PhoneBookReading reading = fonedesk::ReadDevicePhoneBook(Database(), device, wait);
    const std::string problem = PhoneBookReadingProblem(reading);
    if (!problem.empty()) {
        wait.Finish(FromUtf8(problem));
    }
    wait.hide();
    ShowPhoneBook(TableName(st::kPhoneBook), -1);
}

void CDataGridView::ImportPhoneBook(const QString& path) {
    WaitForQueryEnd();
    const std::string file = path.toStdString();
    CWaitDialog wait(window(), QString::fromUtf8(texts::kImporting));
    wait.SetProgressRange(100);
    wait.show();
    PhoneBookImport import;
    try {
        import = fonedesk::ImportPhoneBook(
            Database(), file, platform::fonedesk_profile::FieldDelimiter(Profile()), wait);
    } catch (const std::exception& error) {
        wait.hide();
        ShowOperationError(this, error.what());
        return;
    }
    wait.Finish(FromUtf8(ImportMessage(import, file)));
    wait.hide();
    ShowPhoneBook(TableName(st::kPhoneBook), -1);
}

void CDataGridView::ExportPhoneBook(const QString& path) {
    WaitForQueryEnd();
    const std::string file = path.toStdString();
    CWaitDialog wait(window());
    wait.SetProgressRange(100);
    wait.show();
    PhoneBookExport exported;
    try {
        exported = fonedesk::ExportPhoneBook(
            Database(), file, platform::fonedesk_profile::FieldDelimiter(Profile()), wait);
    } catch (const std::exception& error) {
        wait.hide();
        ShowOperationError(this, error.what());
        return;
    }
    wait.Finish(FromUtf8(ExportMessage(exported, file)));
    wait.hide();
}

}  // namespace fonedesk
