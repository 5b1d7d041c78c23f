#pragma once

#include <QString>
#include <QWidget>
#include <memory>

class QPrinter;
class QTabBar;
class QTableView;

namespace fonedesk {

class CDatabase;
class CGridModel;
class IDeviceLists;

// The list of the main window: one table of the database at a time (a call log, search
// results over one, or the phone book) in a report-style table over a model that the query
// worker fills in batches. It owns the program's database connection and the query worker,
// sorts on the server on a header click, filters the phone book by letter tabs, keeps column
// widths and order per table in the profile, deletes rows and prints the list.
//
// The main frame routes the view's commands to OnCommand and asks IsCommandEnabled whenever
// commandStateChanged is emitted.
class CDataGridView : public QWidget {
    Q_OBJECT
  public:
    explicit CDataGridView(QWidget* parent = nullptr);
    ~CDataGridView() override;

    // Opens FNDB; when no FNDB exists at all, first offers to create the user's SQLite one. On
    // failure (or when the user declines) shows "Unable to open datasource FNDB" (with how to
    // create it) and returns false; the program then does not start.
    bool OpenDataSource();
    CDatabase& Database();

    // column -1: a fresh request from outside; otherwise the new sort column of a header click.
    void ShowPhoneBook(const QString& table, int column);
    void ShowCallLog(const QString& table, int column);
    void ShowFilteredLog(const QString& table, const QString& condition, int column);
    // Empty before the first table is shown.
    QString CurrentTable() const;

    bool IsQueryRunning() const;
    void CancelQuery();

    // The voice-message handle (0 for none) and the number of a row of the current table.
    quint16 GetMessageHandle(int rid);
    QString GetRowPhone(int rid);

    // The view's commands: ID_DELETE_RECORDS, ID_ADD_RECORD, ID_EDIT_RECORD, ID_DIAL_RECORD,
    // ID_READ_SOUND, ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, and
    // ID_FILE_PRINT_SETUP (page setup, kept for the next print).
    static bool HandlesCommand(int id);
    bool IsCommandEnabled(int id) const;
    void OnCommand(int id);

    // The operations on the tables, behind the wait window (client/shell/DataGridOperations.cpp).
    // Each waits for a running list query to end first, since they share the connection.
    // Reads both call logs of the set, then shows the log on screen or the incoming calls. The
    // counts end the wait window always, or only when a call was not stored or a list is
    // incomplete (the automatic reading at start-up).
    enum class Report { Always, OnlyProblems };
    void ReadCallLogs(IDeviceLists& device, Report report);
    // Reads the set's phone book, then shows the phone book.
    void ReadDevicePhoneBook(IDeviceLists& device);
    void ImportPhoneBook(const QString& path);
    void ExportPhoneBook(const QString& path);

    // Paints the list onto the printer's pages, page after page until no row is left.
    void PrintPages(QPrinter* printer);

    // The pieces of the view, for the frame's focus handling and for tests.
    QTableView* TableView() const;
    CGridModel* Model() const;
    QTabBar* AlphabetTabs() const;

  signals:
    // A text for the first pane of the status bar.
    void statusText(const QString& text);
    // The frame's requests: dial the number / play the voice message of row `rid`.
    void dialRecord(int rid);
    void playRecordSound(int rid);
    // Selection, table or running state changed: the frame updates its commands.
    void commandStateChanged();

  private:
    void OnAddRecord();
    void OnEditRecord();
    // Cancels a running list query and waits for its end.
    void WaitForQueryEnd();

    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fonedesk
