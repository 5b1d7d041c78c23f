#include "client/shell/DataGridView.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "client/data/DataSource.h"
#include "client/data/Database.h"
#include "client/data/DbException.h"
#include "client/data/GridQueries.h"
#include "client/data/QueryWorker.h"
#include "client/data/Statements.h"
#include "client/resources/Strings.h"
#include "client/shell/DataSourceOffer.h"
#include "client/shell/GridModel.h"
#include "client/shell/GridPrinter.h"
#include "client/shell/Prompts.h"
#include "client/shell/WaitCursor.h"
#include "platform/profile/FonedeskProfile.h"
#include "platform/profile/ProfileFile.h"

namespace fonedesk {
namespace {

namespace st = statements;

constexpr int kAlphabetTabsHeight = 26;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

platform::ProfileFile Profile() {
    return platform::ProfileFile(platform::ProfileFile::DefaultPath());
}

QFont ListFont() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    return font;
}

QFont HeaderFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    font.setWeight(QFont::Bold);
    return font;
}

// An error box that the worker thread waits for: closed by the user on the window's thread, or
// abandoned when the view goes away (the view then joins the worker and must not wait for it).
class PendingBox {
  public:
    void Finish() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
    }
    void Wait() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_done; });
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
};

}  // namespace

struct CDataGridView::Impl final : public IQueryHost, public IQueryRowSink {
    enum class ListKind { PhoneBook, CallLog, FilteredLog };

    explicit Impl(CDataGridView* view);

    // IQueryHost: the worker's status texts, error boxes and end, on the window's thread.
    void SetStatusText(std::string_view text) override;
    void ShowQueryError(std::string_view text) override;
    void PostQueryFinished(bool errorShown) override;
    // IQueryRowSink, on the worker thread: columns and packed rows go over in one delivery per
    // batch, tagged with the query they belong to.
    void BeginResult(const std::string& table, const std::vector<CODBCFieldInfo>& columns) override;
    void AddRows(RowBatch batch) override;

    void ShowList(ListKind kind, const QString& table, const QString& condition, int column);
    // A header click while the cancelled query still finishes waits for its end (wait = true);
    // any other request is refused then.
    bool StartListQuery(const std::string& table, const std::string& statement, bool wait);
    void SwitchTable(const QString& table);
    void SaveColumnLayout(const QString& table);
    void OnColumns(quint64 tag, const std::string& table, std::vector<GridColumn> columns);
    void OnRows(quint64 tag, CGridRowBlock block);
    void FitColumns();
    void OnHeaderClicked(int logical);
    void OnDelete();
    bool DeleteSelected(const QString& table);
    // The selected rows as sorted, disjoint runs [first, last].
    std::vector<std::pair<int, int>> SelectedRuns() const;
    int SelectedCount() const;
    int FirstSelectedRow() const;
    void BeginClosing();

    CDataGridView* q;
    CDatabase db;
    const ColumnCaptions captions;
    CGridModel* model = nullptr;
    QTableView* table = nullptr;
    QTabBar* tabs = nullptr;

    int sortColumn = platform::fonedesk_profile::kColumnOrderDefault;
    bool ascending = true;
    QString currentTable;
    QString currentFilter;
    int selectedTab = 0;
    std::vector<std::int32_t> selectedRids;
    // No widths were saved: the first rows size the columns.
    bool sizeToContents = false;
    // The sorted query of a header click that came while a query ran: table and statement.
    std::optional<std::pair<std::string, std::string>> waitingQuery;

    // Every query gets a tag; the list takes deliveries of the tag it waits for only, so that
    // what a cancelled or replaced query still hands over is dropped.
    quint64 lastTag = 0;
    quint64 acceptedTag = 0;
    // Worker thread only: the running query's tag (set while no worker runs) and its columns.
    quint64 workerTag = 0;
    std::vector<GridColumn> workerColumns;

    // The printer of the print commands, so that the page setup holds for the next print.
    QPrinter& Printer();
    std::unique_ptr<QPrinter> printer;

    std::mutex closingMutex;
    bool closing = false;
    std::shared_ptr<PendingBox> pendingBox;

    // Receives the worker's deliveries; what is still queued when it goes is discarded.
    QObject inbox;
    // Last, so that it goes first: its destructor joins the worker thread.
    CQueryWorker worker;
};

CDataGridView::Impl::Impl(CDataGridView* view)
    : q(view),
      captions(ParseColumnCaptions(LoadString(IDS_COLUMN_CAPTIONS).toStdString())),
      worker(db, *this, *this) {
    model = new CGridModel(view);

    table = new QTableView(view);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setShowGrid(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->setSortingEnabled(false);
    table->setIconSize(QSize(16, 16));
    table->setFont(ListFont());
    QHeaderView* rows = table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(ListFont()).height() + 4);
    QHeaderView* header = table->horizontalHeader();
    header->setFont(HeaderFont());
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);  // the sort marks are the model's header pictures
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignCenter);

    tabs = new QTabBar(view);
    tabs->setObjectName(QString::fromLatin1(FONEDESK_ID_NAME(IDC_ALPHABET_TABS)));
    tabs->setShape(QTabBar::RoundedSouth);
    tabs->setExpanding(false);
    tabs->setUsesScrollButtons(true);
    tabs->setFixedHeight(kAlphabetTabsHeight);
    for (int i = 0; i < kAlphabetTabCount; ++i) {
        tabs->addTab(FromUtf8(AlphabetTabLetter(i)));
    }
    tabs->hide();

    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(table);
    layout->addWidget(tabs);

    const QString phoneBook = FromUtf8(st::kPhoneBook);
    // Choosing a letter by mouse or keyboard reloads the phone book; so does a click on the
    // letter already chosen.
    QObject::connect(tabs, &QTabBar::currentChanged, view,
                     [this, phoneBook](int) { q->ShowPhoneBook(phoneBook, -1); });
    QObject::connect(tabs, &QTabBar::tabBarClicked, view, [this, phoneBook](int index) {
        if (index >= 0 && index == tabs->currentIndex()) {
            q->ShowPhoneBook(phoneBook, -1);
        }
    });
    // Queued: a click empties the list, which the header must not see in the middle of its own
    // mouse handling.
    QObject::connect(
        header, &QHeaderView::sectionClicked, view,
        [this](int logical) { OnHeaderClicked(logical); }, Qt::QueuedConnection);
    QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, view,
                     &CDataGridView::commandStateChanged);
    QObject::connect(table, &QAbstractItemView::doubleClicked, view, [this](const QModelIndex&) {
        const int row = FirstSelectedRow();
        if (row >= 0) {
            emit q->playRecordSound(model->Rid(row));
        }
    });
}

void CDataGridView::Impl::SetStatusText(std::string_view text) {
    emit q->statusText(FromUtf8(text));
}

void CDataGridView::Impl::ShowQueryError(std::string_view text) {
    auto box = std::make_shared<PendingBox>();
    {
        std::lock_guard lock(closingMutex);
        if (closing) {
            return;  // the view is going away and is joining this thread
        }
        pendingBox = box;
    }
    const QString message = FromUtf8(text);
    QMetaObject::invokeMethod(
        &inbox,
        [this, box, message] {
            CPrompts::Message(q, QMessageBox::Warning, message, QMessageBox::Ok);
            // The view may be gone by now (the box runs an event loop): only the box is touched.
            box->Finish();
        },
        Qt::QueuedConnection);
    box->Wait();
    std::lock_guard lock(closingMutex);
    pendingBox.reset();
}

void CDataGridView::Impl::PostQueryFinished(bool errorShown) {
    QMetaObject::invokeMethod(
        &inbox,
        [this, errorShown] {
            worker.OnQueryFinished(errorShown);
            if (waitingQuery) {
                const auto [waitingTable, statement] = std::move(*waitingQuery);
                waitingQuery.reset();
                StartListQuery(waitingTable, statement, false);
            }
            emit q->commandStateChanged();
        },
        Qt::QueuedConnection);
}

void CDataGridView::Impl::BeginResult(const std::string& resultTable,
                                      const std::vector<CODBCFieldInfo>& columns) {
    workerColumns = GridColumnsOf(columns, captions);
    QMetaObject::invokeMethod(
        &inbox,
        [this, tag = workerTag, resultTable, shown = workerColumns]() mutable {
            OnColumns(tag, resultTable, std::move(shown));
        },
        Qt::QueuedConnection);
}

void CDataGridView::Impl::AddRows(RowBatch batch) {
    // Packed here, off the window's thread, which then only appends the block.
    auto block = std::make_shared<CGridRowBlock>(CGridRowBlock::FromBatch(batch, workerColumns));
    QMetaObject::invokeMethod(
        &inbox, [this, tag = workerTag, block] { OnRows(tag, std::move(*block)); },
        Qt::QueuedConnection);
}

void CDataGridView::Impl::ShowList(ListKind kind, const QString& listTable,
                                   const QString& condition, int column) {
    if (column == -1) {
        if (worker.IsQueryRunning()) {
            // The user repeats the request once the status bar says the query is done.
            worker.CancelQuery();
            return;
        }
        SwitchTable(listTable);
        tabs->setVisible(kind == ListKind::PhoneBook);
        const ColumnOrder order = ReadColumnOrder(Profile(), listTable.toStdString());
        ascending = order.ascending;
        sortColumn = order.sortColumn;
        currentFilter = kind == ListKind::FilteredLog ? condition : QString();
    } else {
        sortColumn = column;
    }
    const std::string name = listTable.toStdString();
    std::string statement;
    switch (kind) {
        case ListKind::PhoneBook:
            selectedTab = tabs->currentIndex();
            statement = PhoneBookStatement(name, selectedTab, sortColumn, ascending);
            break;
        case ListKind::CallLog:
            statement = CallLogStatement(name, sortColumn, ascending);
            break;
        case ListKind::FilteredLog:
            statement = FilteredLogStatement(name, condition.toStdString(), sortColumn, ascending);
            break;
    }
    currentTable = listTable;
    StartListQuery(name, statement, column != -1);
    emit q->commandStateChanged();
}

bool CDataGridView::Impl::StartListQuery(const std::string& listTable, const std::string& statement,
                                         bool wait) {
    const bool running = worker.IsQueryRunning();
    if (!running) {
        workerTag = ++lastTag;  // no worker thread runs now, so none reads it meanwhile
    }
    if (!worker.StartQuery(listTable, statement)) {
        // A cancelled query has not finished yet. An emptied list would not even have a header
        // left to click again, so a header click's query starts once the worker is free.
        if (running && wait) {
            waitingQuery.emplace(listTable, statement);
        }
        return false;
    }
    acceptedTag = workerTag;
    return true;
}

void CDataGridView::Impl::SwitchTable(const QString& newTable) {
    SaveColumnLayout(currentTable);
    currentTable = newTable;
    acceptedTag = 0;
    waitingQuery.reset();
    sizeToContents = false;
    model->Clear();
    emit q->commandStateChanged();
}

void CDataGridView::Impl::SaveColumnLayout(const QString& layoutTable) {
    const QHeaderView* header = table->horizontalHeader();
    std::vector<int> widths;
    for (int i = 0; i < model->columnCount(); ++i) {
        widths.push_back(header->sectionSize(i));
    }
    platform::ProfileFile profile = Profile();
    fonedesk::SaveColumnLayout(profile, layoutTable.toStdString(), widths,
                               static_cast<std::size_t>(model->rowCount()),
                               {sortColumn, ascending});
}

void CDataGridView::Impl::OnColumns(quint64 tag, const std::string& resultTable,
                                    std::vector<GridColumn> columns) {
    if (tag != acceptedTag) {
        return;
    }
    model->SetColumns(std::move(columns));
    const std::vector<int> widths = ReadColumnWidths(Profile(), resultTable);
    QHeaderView* header = table->horizontalHeader();
    if (!widths.empty()) {
        const int n = std::min(model->columnCount(), static_cast<int>(widths.size()));
        for (int i = 0; i < n; ++i) {
            header->resizeSection(i, widths[static_cast<std::size_t>(i)]);
        }
        sizeToContents = false;
    } else {
        FitColumns();
        sizeToContents = true;
    }
    model->SetSortMark(sortColumn - 1, ascending);
}

void CDataGridView::Impl::OnRows(quint64 tag, CGridRowBlock block) {
    if (tag != acceptedTag) {
        return;
    }
    model->AppendRows(std::move(block));
    if (sizeToContents && model->rowCount() > 0) {
        FitColumns();
        sizeToContents = false;
    }
}

void CDataGridView::Impl::FitColumns() {
    // Each column as wide as the larger of its contents and its caption.
    for (int i = 0; i < model->columnCount(); ++i) {
        table->resizeColumnToContents(i);
    }
}

void CDataGridView::Impl::OnHeaderClicked(int logical) {
    if (logical < 0 || currentTable.isEmpty()) {
        return;
    }
    if (worker.IsQueryRunning()) {
        worker.CancelQuery();
    }
    SwitchTable(currentTable);
    const int clicked = logical + 1;
    if (clicked == sortColumn) {
        ascending = !ascending;
    }
    sortColumn = clicked;
    if (currentTable == FromUtf8(st::kPhoneBook)) {
        ShowList(ListKind::PhoneBook, currentTable, {}, sortColumn);
    } else if (!currentFilter.isEmpty()) {
        ShowList(ListKind::FilteredLog, currentTable, currentFilter, sortColumn);
    } else {
        ShowList(ListKind::CallLog, currentTable, {}, sortColumn);
    }
}

void CDataGridView::Impl::OnDelete() {
    if (worker.IsQueryRunning()) {
        worker.CancelQuery();
        return;
    }
    selectedRids.clear();
    std::vector<int> rows;
    for (const auto& [first, last] : SelectedRuns()) {
        for (int row = first; row <= last; ++row) {
            rows.push_back(row);
            const std::int32_t rid = model->Rid(row);
            if (rid > 0) {
                selectedRids.push_back(rid);
            }
        }
    }
    if (DeleteSelected(currentTable)) {
        model->RemoveRows(std::move(rows));
        emit q->commandStateChanged();
    }
}

bool CDataGridView::Impl::DeleteSelected(const QString& deleteTable) {
    bool deleted = false;
    std::string error;
    {
        CWaitCursor wait;
        try {
            deleted = DeleteRows(db, deleteTable.toStdString(), selectedRids);
        } catch (const CDBException& e) {
            error = e.Error();
        }
    }
    selectedRids.clear();
    if (!error.empty()) {
        CPrompts::Message(q, QMessageBox::Warning, FromUtf8(ClipErrorText(error)), QMessageBox::Ok);
        return false;
    }
    return deleted;
}

std::vector<std::pair<int, int>> CDataGridView::Impl::SelectedRuns() const {
    std::vector<std::pair<int, int>> runs;
    const QItemSelection selection = table->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid()) {
            runs.emplace_back(range.top(), range.bottom());
        }
    }
    std::sort(runs.begin(), runs.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& run : runs) {
        if (!merged.empty() && run.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, run.second);
        } else {
            merged.push_back(run);
        }
    }
    return merged;
}

int CDataGridView::Impl::SelectedCount() const {
    int count = 0;
    for (const auto& [first, last] : SelectedRuns()) {
        count += last - first + 1;
    }
    return count;
}

int CDataGridView::Impl::FirstSelectedRow() const {
    const auto runs = SelectedRuns();
    return runs.empty() ? -1 : runs.front().first;
}

QPrinter& CDataGridView::Impl::Printer() {
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer;
}

void CDataGridView::Impl::BeginClosing() {
    std::lock_guard lock(closingMutex);
    closing = true;
    if (pendingBox) {
        pendingBox->Finish();  // the worker stops waiting for the box
    }
}

CDataGridView::CDataGridView(QWidget* parent) : QWidget(parent), d(std::make_unique<Impl>(this)) {}

CDataGridView::~CDataGridView() {
    // The widths and order the user left are kept for the next start as well.
    d->SaveColumnLayout(d->currentTable);
    d->BeginClosing();
    d.reset();
}

bool CDataGridView::OpenDataSource() {
    if (d->db.IsOpen()) {
        return true;
    }
    // Looked for before any connection is tried: the driver manager keeps a failed lookup of a
    // name for a while, so that a data source created after one would not be found.
    std::string driverMessage;
    bool created = true;
    if (!DataSourceExists(kDataSourceName)) {
        QString failure;
        created = OfferDataSourceCreation(this, &failure);
        driverMessage = failure.toStdString();
    }
    if (created && fonedesk::OpenDataSource(d->db, &driverMessage)) {
        return true;
    }
    QString text = FromUtf8(kOpenDataSourceFailed) + QStringLiteral("\n\n") +
                   LoadString(IDS_DATASOURCE_SETUP_HINT);
    if (!driverMessage.empty()) {
        text += QStringLiteral("\n\n") + FromUtf8(ClipErrorText(driverMessage));
    }
    CPrompts::Message(this, QMessageBox::Critical, text, QMessageBox::Ok);
    return false;
}

CDatabase& CDataGridView::Database() {
    return d->db;
}

void CDataGridView::ShowPhoneBook(const QString& table, int column) {
    d->ShowList(Impl::ListKind::PhoneBook, table, {}, column);
}

void CDataGridView::ShowCallLog(const QString& table, int column) {
    d->ShowList(Impl::ListKind::CallLog, table, {}, column);
}

void CDataGridView::ShowFilteredLog(const QString& table, const QString& condition, int column) {
    d->ShowList(Impl::ListKind::FilteredLog, table, condition, column);
}

QString CDataGridView::CurrentTable() const {
    return d->currentTable;
}

bool CDataGridView::IsQueryRunning() const {
    return d->worker.IsQueryRunning();
}

void CDataGridView::CancelQuery() {
    // An idle worker has nothing to cancel; a flag set now would refuse the next query.
    if (d->worker.IsQueryRunning()) {
        d->worker.CancelQuery();
    }
}

quint16 CDataGridView::GetMessageHandle(int rid) {
    return fonedesk::GetMessageHandle(d->db, d->currentTable.toStdString(), rid);
}

QString CDataGridView::GetRowPhone(int rid) {
    return FromUtf8(fonedesk::GetRowPhone(d->db, d->currentTable.toStdString(), rid));
}

bool CDataGridView::HandlesCommand(int id) {
    switch (id) {
        case ID_DELETE_RECORDS:
        case ID_ADD_RECORD:
        case ID_EDIT_RECORD:
        case ID_DIAL_RECORD:
        case ID_READ_SOUND:
        case ID_FILE_PRINT:
        case ID_FILE_PRINT_DIRECT:
        case ID_FILE_PRINT_PREVIEW:
        case ID_FILE_PRINT_SETUP:
            return true;
        default:
            return false;
    }
}

bool CDataGridView::IsCommandEnabled(int id) const {
    const bool phoneBook = d->currentTable == FromUtf8(st::kPhoneBook);
    switch (id) {
        case ID_DELETE_RECORDS:
            return d->SelectedCount() >= 1;
        case ID_ADD_RECORD:
            return phoneBook;
        case ID_EDIT_RECORD:
            return phoneBook && d->SelectedCount() == 1;
        case ID_DIAL_RECORD:
            return d->SelectedCount() == 1;
        case ID_READ_SOUND:
            return d->SelectedCount() == 1 && d->model->IconIndex(d->FirstSelectedRow()) == 1;
        default:
            return HandlesCommand(id);
    }
}

void CDataGridView::OnCommand(int id) {
    switch (id) {
        case ID_DELETE_RECORDS:
            d->OnDelete();
            break;
        case ID_ADD_RECORD:
            OnAddRecord();
            break;
        case ID_EDIT_RECORD:
            OnEditRecord();
            break;
        case ID_DIAL_RECORD:
        case ID_READ_SOUND: {
            const int row = d->FirstSelectedRow();
            if (row < 0) {
                break;
            }
            const int rid = d->model->Rid(row);
            if (id == ID_DIAL_RECORD) {
                emit dialRecord(rid);
            } else {
                emit playRecordSound(rid);
            }
            break;
        }
        case ID_FILE_PRINT: {
            QPrinter& printer = d->Printer();
            QPrintDialog dialog(&printer, this);
            dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
            dialog.setMinMax(
                1, CGridPrinter(*d->model, *d->table->horizontalHeader()).PageCount(printer));
            if (dialog.exec() == QDialog::Accepted) {
                PrintPages(&printer);
            }
            break;
        }
        case ID_FILE_PRINT_SETUP: {
            QPageSetupDialog dialog(&d->Printer(), this);
            dialog.exec();
            break;
        }
        case ID_FILE_PRINT_DIRECT: {
            const QPrinterInfo target = QPrinterInfo::defaultPrinter();
            if (target.isNull()) {
                CPrompts::Message(this, QMessageBox::Warning, LoadString(IDS_NO_DEFAULT_PRINTER),
                                  QMessageBox::Ok);
                break;
            }
            QPrinter printer(target, QPrinter::HighResolution);
            printer.setPageLayout(d->Printer().pageLayout());
            PrintPages(&printer);
            break;
        }
        case ID_FILE_PRINT_PREVIEW: {
            QPrintPreviewDialog preview(&d->Printer(), this);
            connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                    &CDataGridView::PrintPages);
            preview.exec();
            break;
        }
        default:
            break;
    }
}

void CDataGridView::PrintPages(QPrinter* printer) {
    if (printer == nullptr) {
        return;
    }
    CGridPrinter(*d->model, *d->table->horizontalHeader()).Print(*printer);
}

QTableView* CDataGridView::TableView() const {
    return d->table;
}

CGridModel* CDataGridView::Model() const {
    return d->model;
}

QTabBar* CDataGridView::AlphabetTabs() const {
    return d->tabs;
}

}  // namespace fonedesk
