// The grid view against a throwaway SQLite FNDB: sorting on the server, letter tabs, the column
// layout in the profile, deleting, the voice icon and the commands, errors, and the worker's
// rules for a request that comes while a query runs.

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QHeaderView>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "client/data/QueryWorker.h"
#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "client/resources/Strings.h"
#include "client/shell/DataGridView.h"
#include "client/shell/GridModel.h"
#include "platform/profile/FonedeskProfile.h"
#include "tests/client/shell/grid/GridTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

// Waits (processing events) until the grid's query has been handled to its end.
#define WAIT_IDLE(grid) QTRY_VERIFY_WITH_TIMEOUT(!(grid).IsQueryRunning(), 30000)

namespace fonedesk::test {
namespace {

namespace st = fonedesk::statements;
namespace fp = platform::fonedesk_profile;

const QString kInData = QStringLiteral("in_data");
const QString kOutData = QStringLiteral("out_data");
const QString kPhoneBook = QStringLiteral("phone_book");

QString FromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

std::string Call(std::string_view table, std::string_view name, std::string_view phone,
                 long long delay = 5, long long handle = 0,
                 std::string_view time = "07-05-03 14:09") {
    return FormatStatement(st::kInsertCallRecord,
                           {table, name, phone, time, delay, 0, 0, 100, handle});
}

std::string PhoneBookRow(std::string_view phone, std::string_view name,
                         std::string_view comment = "") {
    return FormatStatement(st::kInsertPhoneBookRow, {st::kPhoneBook, phone, name, comment});
}

// Many call-log rows in one statement: name "Абонент NNNNN", phone 7000000 + n.
std::string ManyCalls(std::string_view table, int rows) {
    // The statement starts with INSERT: the SQLite driver runs a statement that starts with WITH
    // only as far as its rows are fetched.
    return "INSERT INTO " + std::string(table) +
           " (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) WITH RECURSIVE n(i) AS "
           "(SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(rows) +
           ") SELECT 'Абонент ' || substr('0000' || i, -5, 5), 7000000 + i, '2003-05-07 14:09:00', "
           "i % 100, 0, 0, i, i % 3 FROM n";
}

QStringList ColumnTexts(const CGridModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.append(model.Text(row, column));
    }
    return texts;
}

QStringList Captions(const CGridModel& model) {
    QStringList captions;
    for (int c = 0; c < model.columnCount(); ++c) {
        captions.append(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    return captions;
}

std::string ProfileValue(const std::string& key) {
    return platform::ProfileFile(Env().ProfilePath()).GetString(fp::kColumnsLayout, key, "absent");
}

void WriteProfileValue(const std::string& key, const std::string& value) {
    platform::ProfileFile(Env().ProfilePath()).WriteString(fp::kColumnsLayout, key, value);
}

void ClickHeader(CDataGridView& grid, int section) {
    QHeaderView* header = grid.TableView()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void SelectRows(CDataGridView& grid, const std::vector<int>& rows) {
    QItemSelectionModel* selection = grid.TableView()->selectionModel();
    selection->clearSelection();
    for (const int row : rows) {
        selection->select(grid.Model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

int RowOf(const CGridModel& model, int column, const QString& text) {
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.Text(row, column) == text) {
            return row;
        }
    }
    return -1;
}

// Destroys the grid from inside the answer to its first message box, while the worker waits
// for that box.
class DestroyOnMessage : public IPromptAnswers {
  public:
    explicit DestroyOnMessage(std::unique_ptr<CDataGridView>& grid) : m_grid(grid) {
        CPrompts::SetAnswers(this);
    }
    ~DestroyOnMessage() override { CPrompts::SetAnswers(nullptr); }
    QMessageBox::StandardButton OnMessage(QMessageBox::Icon, const QString& text,
                                          QMessageBox::StandardButtons) override {
        messages.append(text);
        m_grid.reset();
        return QMessageBox::Ok;
    }
    QString OnFileDialog(const FileDialogRequest&) override { return {}; }
    QStringList messages;

  private:
    std::unique_ptr<CDataGridView>& m_grid;
};

}  // namespace

class TestGridView : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();

    void firstStartSortsByNameAscending_data();
    void firstStartSortsByNameAscending();
    void sameHeaderTwiceTogglesAndTheLayoutKeepsTheDirection();
    void letterTabsListExactlyTheirNames();
    void deletingTwoPhoneBookRowsGivesTheLogsTheirNumbersBack();
    void aRejectedDeleteShowsTheErrorAndKeepsTheRows();
    void widthsAreSavedOnlyForAListWithRows();
    void voiceIconAndTheCommandsOfTheSelection();
    void commandsFollowTableAndSelection();
    void modelStaysConsistentWhileRowsArrive();
    void aStatementErrorShowsItsText();
    void aRequestWhileAQueryRunsOnlyCancelsIt();
    void headerClickWhileRunningSortsOnceTheCancelledQueryHasEnded();
    void destroyingTheViewWhileItsErrorBoxIsOpenDoesNotHang();
    void destroyingTheViewWhileAQueryRunsDoesNotHang();
    void aMissingDataSourceSaysHowToCreateIt();

  private:
    bool OpenGrid();
    std::unique_ptr<CDataGridView> m_grid;
};

void TestGridView::init() {
    Env().RemoveProfile();
    Env().CreateDataSource();
}

void TestGridView::cleanup() {
    m_grid.reset();
}

bool TestGridView::OpenGrid() {
    m_grid = std::make_unique<CDataGridView>();
    m_grid->resize(1200, 500);
    m_grid->show();
    if (!QTest::qWaitForWindowExposed(m_grid.get())) {
        return false;
    }
    return m_grid->OpenDataSource();
}

void TestGridView::firstStartSortsByNameAscending_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("in_data") << kInData
                             << QStringList{QString(), "Абонент", "Дата звонка", "Длительность"};
    QTest::newRow("out_data") << kOutData
                              << QStringList{QString(), "Абонент", "Дата звонка", "Длительность"};
    QTest::newRow("phone_book") << kPhoneBook << QStringList{"Телефон", "Абонент", "Комментарий"};
}

void TestGridView::firstStartSortsByNameAscending() {
    QFETCH(QString, table);
    QFETCH(QStringList, captions);
    // Names under the "*" tab, inserted so that neither RID nor number order is name order.
    if (table == kPhoneBook) {
        Env().Exec({PhoneBookRow("100", "Carol"), PhoneBookRow("300", "Alice"),
                    PhoneBookRow("200", "Bob")});
    } else {
        Env().Exec({Call(table.toStdString(), "Carol", "100"),
                    Call(table.toStdString(), "Alice", "300"),
                    Call(table.toStdString(), "Bob", "200")});
    }
    QVERIFY(OpenGrid());
    QSignalSpy status(m_grid.get(), &CDataGridView::statusText);
    if (table == kPhoneBook) {
        m_grid->ShowPhoneBook(table, -1);
    } else {
        m_grid->ShowCallLog(table, -1);
    }
    QCOMPARE(m_grid->CurrentTable(), table);
    WAIT_IDLE(*m_grid);

    const CGridModel& model = *m_grid->Model();
    QCOMPARE(Captions(model), captions);  // RID is never a column
    QCOMPARE(ColumnTexts(model, 1), (QStringList{"Alice", "Bob", "Carol"}));
    QCOMPARE(model.SortMarkColumn(), 1);
    QVERIFY(!model.headerData(1, Qt::Horizontal, Qt::DecorationRole).value<QPixmap>().isNull());
    QVERIFY(!m_grid->TableView()->horizontalHeader()->isSortIndicatorShown());
    QCOMPARE(m_grid->AlphabetTabs()->isVisible(), table == kPhoneBook);
    QCOMPARE(status.first().at(0).toString(), FromStd(kQueryRunningText));
    QCOMPARE(status.last().at(0).toString(), FromStd(kQueryDoneText));
}

void TestGridView::sameHeaderTwiceTogglesAndTheLayoutKeepsTheDirection() {
    Env().Exec({Call(st::kIncomingCalls, "Вера", "3", 30),
                Call(st::kIncomingCalls, "Анна", "1", 10),
                Call(st::kIncomingCalls, "Борис", "2", 20)});
    QVERIFY(OpenGrid());
    m_grid->ShowCallLog(kInData, -1);
    WAIT_IDLE(*m_grid);
    const CGridModel& model = *m_grid->Model();
    QCOMPARE(ColumnTexts(model, 1), (QStringList{"Анна", "Борис", "Вера"}));

    ClickHeader(*m_grid, 1);
    QTRY_COMPARE(ColumnTexts(model, 1), (QStringList{"Вера", "Борис", "Анна"}));
    WAIT_IDLE(*m_grid);
    QCOMPARE(model.SortMarkColumn(), 1);
    // Leaving the table saves its direction as a negative column.
    m_grid->ShowCallLog(kOutData, -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(ProfileValue("in_data_order"), std::string("-2"));

    // Back again: the saved order is used, and the same header toggles back.
    m_grid->ShowCallLog(kInData, -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(ColumnTexts(model, 1), (QStringList{"Вера", "Борис", "Анна"}));
    ClickHeader(*m_grid, 1);
    QTRY_COMPARE(ColumnTexts(model, 1), (QStringList{"Анна", "Борис", "Вера"}));
    WAIT_IDLE(*m_grid);

    // Another column keeps the direction: ascending by duration.
    ClickHeader(*m_grid, 3);
    QTRY_COMPARE(model.SortMarkColumn(), 3);
    WAIT_IDLE(*m_grid);
    QCOMPARE(ColumnTexts(model, 3), (QStringList{"10", "20", "30"}));
    ClickHeader(*m_grid, 3);
    QTRY_COMPARE(ColumnTexts(model, 3), (QStringList{"30", "20", "10"}));
    WAIT_IDLE(*m_grid);
    m_grid->ShowPhoneBook(kPhoneBook, -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(ProfileValue("in_data_order"), std::string("-4"));
}

void TestGridView::letterTabsListExactlyTheirNames() {
    const std::vector<std::pair<std::string, std::string>> book = {
        {"1", "Ёлкин"}, {"2", "Йорк"},      {"3", "Ъ-знак"},   {"4", "Ыкин"},       {"5", "Ьтест"},
        {"6", "Zeta"},  {"7", "42 Сервис"}, {"8", "Анна"},     {"9", "анна малая"}, {"10", "Борис"},
        {"11", "Яна"},  {"12", "ёжик"},     {"13", "Евгений"}, {"14", "albert"}};
    std::vector<std::string> inserts;
    for (const auto& [phone, name] : book) {
        inserts.push_back(PhoneBookRow(phone, name));
    }
    Env().Exec(inserts);
    QVERIFY(OpenGrid());
    m_grid->ShowPhoneBook(kPhoneBook, -1);
    WAIT_IDLE(*m_grid);
    const CGridModel& model = *m_grid->Model();
    const auto names = [&] {
        const QStringList list = ColumnTexts(model, 1);
        return std::set<QString>(list.begin(), list.end());
    };
    QTabBar* tabs = m_grid->AlphabetTabs();
    QVERIFY(tabs->isVisible());
    QCOMPARE(tabs->objectName(), QStringLiteral("IDC_ALPHABET_TABS"));
    QCOMPARE(tabs->count(), 29);
    QCOMPARE(tabs->height(), 26);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(names(), (std::set<QString>{"Ёлкин", "Йорк", "Ъ-знак", "Ыкин", "Ьтест", "Zeta",
                                         "42 Сервис", "ёжик", "albert"}));

    // By mouse: "А" lists both cases of its letter.
    QCOMPARE(tabs->tabText(1), QStringLiteral("А"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(tabs->currentIndex(), 1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(names(), (std::set<QString>{"Анна", "анна малая"}));

    // By keyboard: the next tab, "Б".
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Right);
    QCOMPARE(tabs->currentIndex(), 2);
    WAIT_IDLE(*m_grid);
    QCOMPARE(names(), (std::set<QString>{"Борис"}));

    // "Е" does not take Ё, which belongs under "*".
    tabs->setCurrentIndex(6);
    WAIT_IDLE(*m_grid);
    QCOMPARE(tabs->tabText(6), QStringLiteral("Е"));
    QCOMPARE(names(), (std::set<QString>{"Евгений"}));

    tabs->setCurrentIndex(28);
    WAIT_IDLE(*m_grid);
    QCOMPARE(names(), (std::set<QString>{"Яна"}));

    // A click on the letter already chosen reloads it.
    Env().Exec({PhoneBookRow("15", "Ярослав")});
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(28).center());
    WAIT_IDLE(*m_grid);
    QCOMPARE(names(), (std::set<QString>{"Яна", "Ярослав"}));
}

void TestGridView::deletingTwoPhoneBookRowsGivesTheLogsTheirNumbersBack() {
    Env().Exec({PhoneBookRow("111", "Иванов"), PhoneBookRow("222", "Ильин"),
                PhoneBookRow("333", "Исаев")});
    std::vector<std::string> calls;
    for (const auto table : {st::kIncomingCalls, st::kOutgoingCalls}) {
        calls.push_back(Call(table, "Иванов", "111"));
        calls.push_back(Call(table, "Ильин", "222"));
        calls.push_back(Call(table, "Исаев", "333"));
        calls.push_back(Call(table, "Иванов", "111"));
    }
    Env().Exec(calls);
    CPromptRecorder prompts;
    QVERIFY(OpenGrid());
    m_grid->ShowPhoneBook(kPhoneBook, -1);
    WAIT_IDLE(*m_grid);
    m_grid->AlphabetTabs()->setCurrentIndex(9);  // "И"
    WAIT_IDLE(*m_grid);
    CGridModel& model = *m_grid->Model();
    QCOMPARE(model.rowCount(), 3);
    SelectRows(*m_grid, {RowOf(model, 0, "111"), RowOf(model, 0, "222")});
    QVERIFY(m_grid->IsCommandEnabled(ID_DELETE_RECORDS));

    m_grid->OnCommand(ID_DELETE_RECORDS);
    QVERIFY(prompts.messages.isEmpty());  // no confirmation, no error
    QCOMPARE(ColumnTexts(model, 0), QStringList{"333"});
    QVERIFY(!m_grid->IsCommandEnabled(ID_DELETE_RECORDS));
    QCOMPARE(Env().Column("SELECT PHONE FROM phone_book"), std::vector<std::string>{"333"});
    for (const std::string table : {"in_data", "out_data"}) {
        std::multiset<std::string> names;
        for (const std::string& name : Env().Column("SELECT ABONENT FROM " + table)) {
            names.insert(name);
        }
        QCOMPARE(names, (std::multiset<std::string>{"111", "111", "222", "Исаев"}));
    }
}

void TestGridView::aRejectedDeleteShowsTheErrorAndKeepsTheRows() {
    Env().Exec({Call(st::kOutgoingCalls, "Анна", "1"), Call(st::kOutgoingCalls, "Борис", "2")});
    CPromptRecorder prompts;
    QVERIFY(OpenGrid());
    m_grid->ShowCallLog(kOutData, -1);
    WAIT_IDLE(*m_grid);
    CGridModel& model = *m_grid->Model();
    // The table goes away under the list: the delete is refused by the database.
    Env().Exec({"DROP TABLE out_data"});
    SelectRows(*m_grid, {0});
    m_grid->OnCommand(ID_DELETE_RECORDS);
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY2(prompts.messages.first().contains("out_data"), qPrintable(prompts.messages.first()));
    QVERIFY(prompts.messages.first().size() <= 1024);
    QCOMPARE(prompts.icons.first(), QMessageBox::Warning);
    QCOMPARE(model.rowCount(), 2);
}

void TestGridView::widthsAreSavedOnlyForAListWithRows() {
    WriteProfileValue("in_data_layout", "30,200,150,90");
    WriteProfileValue("in_data_order", "3");
    Env().Exec({Call(st::kOutgoingCalls, "Анна", "1")});
    QVERIFY(OpenGrid());
    m_grid->ShowCallLog(kInData, -1);  // an empty list
    WAIT_IDLE(*m_grid);
    QHeaderView* header = m_grid->TableView()->horizontalHeader();
    QCOMPARE(m_grid->Model()->columnCount(), 4);
    QCOMPARE((QList<int>{header->sectionSize(0), header->sectionSize(1), header->sectionSize(2),
                         header->sectionSize(3)}),
             (QList<int>{30, 200, 150, 90}));
    header->resizeSection(1, 333);
    m_grid->ShowCallLog(kOutData, -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(ProfileValue("in_data_layout"), std::string("30,200,150,90"));
    QCOMPARE(ProfileValue("in_data_order"), std::string("3"));

    // No saved widths: each column as wide as the larger of its contents and its caption.
    QCOMPARE(m_grid->Model()->rowCount(), 1);
    for (int c = 0; c < 4; ++c) {
        QVERIFY(header->sectionSize(c) >= header->sectionSizeHint(c));
    }
    // A list with rows saves what the user made of it.
    header->resizeSection(1, 222);
    m_grid->ShowCallLog(kInData, -1);
    WAIT_IDLE(*m_grid);
    const std::string saved = ProfileValue("out_data_layout");
    QVERIFY2(saved.find(",222,") != std::string::npos, saved.c_str());
    QCOMPARE(ProfileValue("out_data_order"), std::string("2"));

    // So does the view when it goes.
    m_grid->ShowCallLog(kOutData, -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(header->sectionSize(1), 222);
    header->resizeSection(2, 111);
    m_grid.reset();
    QVERIFY(ProfileValue("out_data_layout").find(",222,111,") != std::string::npos);
}

void TestGridView::voiceIconAndTheCommandsOfTheSelection() {
    Env().Exec({Call(st::kIncomingCalls, "Анна", "0101", 5, 0),
                Call(st::kIncomingCalls, "Борис", "0202", 6, 4660, "08-05-03 10:30")});
    QVERIFY(OpenGrid());
    m_grid->ShowCallLog(kInData, -1);
    WAIT_IDLE(*m_grid);
    CGridModel& model = *m_grid->Model();
    const int anna = RowOf(model, 1, "Анна");
    const int boris = RowOf(model, 1, "Борис");
    QVERIFY(anna >= 0 && boris >= 0);
    QCOMPARE(model.Text(anna, 2), QStringLiteral("2003-05-07 14:09"));  // no seconds
    QCOMPARE(model.Text(boris, 2), QStringLiteral("2003-05-08 10:30"));
    QVERIFY(model.data(model.index(anna, 0), Qt::DecorationRole).isNull());
    QVERIFY(!model.data(model.index(boris, 0), Qt::DecorationRole).value<QPixmap>().isNull());
    QVERIFY(model.data(model.index(boris, 0), Qt::DisplayRole).toString().isEmpty());

    QSignalSpy play(m_grid.get(), &CDataGridView::playRecordSound);
    QSignalSpy dial(m_grid.get(), &CDataGridView::dialRecord);
    SelectRows(*m_grid, {anna});
    QVERIFY(!m_grid->IsCommandEnabled(ID_READ_SOUND));
    QVERIFY(m_grid->IsCommandEnabled(ID_DIAL_RECORD));
    SelectRows(*m_grid, {boris});
    QVERIFY(m_grid->IsCommandEnabled(ID_READ_SOUND));

    const int borisRid = model.Rid(boris);
    m_grid->OnCommand(ID_READ_SOUND);
    m_grid->OnCommand(ID_DIAL_RECORD);
    QCOMPARE(play.count(), 1);
    QCOMPARE(play.takeFirst().at(0).toInt(), borisRid);
    QCOMPARE(dial.count(), 1);
    QCOMPARE(dial.takeFirst().at(0).toInt(), borisRid);
    // The frame answers them with the row's handle and number.
    QCOMPARE(m_grid->GetMessageHandle(borisRid), quint16{4660});
    QCOMPARE(m_grid->GetRowPhone(borisRid), QStringLiteral("0202"));
    QCOMPARE(m_grid->GetMessageHandle(model.Rid(anna)), quint16{0});
    QCOMPARE(m_grid->GetRowPhone(99999), QString());

    // A double click plays too.
    QTableView* view = m_grid->TableView();
    const QRect cell = view->visualRect(model.index(anna, 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(play.count(), 1);
    QCOMPARE(play.takeFirst().at(0).toInt(), model.Rid(anna));

    // Nothing is asked for without a selection.
    SelectRows(*m_grid, {});
    m_grid->OnCommand(ID_READ_SOUND);
    m_grid->OnCommand(ID_DIAL_RECORD);
    QCOMPARE(play.count(), 0);
    QCOMPARE(dial.count(), 0);
}

void TestGridView::commandsFollowTableAndSelection() {
    Env().Exec({PhoneBookRow("1", "Alice"), PhoneBookRow("2", "Bob"),
                Call(st::kIncomingCalls, "Alice", "1", 5, 9)});
    QVERIFY(OpenGrid());
    QSignalSpy changed(m_grid.get(), &CDataGridView::commandStateChanged);
    m_grid->ShowPhoneBook(kPhoneBook, -1);
    QVERIFY(changed.count() > 0);
    WAIT_IDLE(*m_grid);

    const int commands[] = {ID_DELETE_RECORDS,    ID_ADD_RECORD,        ID_EDIT_RECORD,
                            ID_DIAL_RECORD,       ID_READ_SOUND,        ID_FILE_PRINT,
                            ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW};
    const auto enabled = [&] {
        QList<bool> states;
        for (const int id : commands) {
            states.append(m_grid->IsCommandEnabled(id));
        }
        return states;
    };
    const struct {
        const char* what;
        QString table;
        std::vector<int> rows;
        QList<bool> states;  // in the order of `commands`
    } cases[] = {
        {"phone book, none", kPhoneBook, {}, {false, true, false, false, false, true, true, true}},
        {"phone book, one", kPhoneBook, {0}, {true, true, true, true, false, true, true, true}},
        {"phone book, two",
         kPhoneBook,
         {0, 1},
         {true, true, false, false, false, true, true, true}},
        {"log, none", kInData, {}, {false, false, false, false, false, true, true, true}},
        {"log, one with a message",
         kInData,
         {0},
         {true, false, false, true, true, true, true, true}},
    };
    for (const auto& c : cases) {
        if (m_grid->CurrentTable() != c.table) {
            m_grid->ShowCallLog(c.table, -1);
            WAIT_IDLE(*m_grid);
        }
        changed.clear();
        SelectRows(*m_grid, c.rows);
        if (!c.rows.empty()) {
            QVERIFY2(!changed.isEmpty(), c.what);
        }
        QVERIFY2(enabled() == c.states, c.what);
    }
    QVERIFY(m_grid->IsCommandEnabled(ID_FILE_PRINT_SETUP));
    QVERIFY(!m_grid->IsCommandEnabled(ID_VIEW_PHONEBOOK));  // not a command of the view
}

void TestGridView::modelStaysConsistentWhileRowsArrive() {
    constexpr int kRows = 3000;
    Env().Exec({ManyCalls(st::kIncomingCalls, kRows), ManyCalls(st::kOutgoingCalls, 10)});
    QVERIFY(OpenGrid());
    CGridModel& model = *m_grid->Model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    m_grid->ShowCallLog(kInData, -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(model.rowCount(), kRows);
    QVERIFY2(inserted.count() > 1, "the rows came in one delivery, not in batches");
    QCOMPARE(model.Text(0, 1), QStringLiteral("Абонент 00001"));
    QCOMPARE(model.Text(kRows - 1, 1), QStringLiteral("Абонент 03000"));

    ClickHeader(*m_grid, 1);  // empties the list and fills it again
    QTRY_COMPARE(model.Text(0, 1), QStringLiteral("Абонент 03000"));
    WAIT_IDLE(*m_grid);
    QCOMPARE(model.rowCount(), kRows);
    SelectRows(*m_grid, {0, 1, 2, 10, 2999});
    m_grid->OnCommand(ID_DELETE_RECORDS);
    QCOMPARE(model.rowCount(), kRows - 5);
    QCOMPARE(model.Text(0, 1), QStringLiteral("Абонент 02997"));
    m_grid->ShowCallLog(kOutData, -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(model.rowCount(), 10);
}

void TestGridView::aStatementErrorShowsItsText() {
    CPromptRecorder prompts;
    QVERIFY(OpenGrid());
    QSignalSpy status(m_grid.get(), &CDataGridView::statusText);
    m_grid->ShowFilteredLog(kInData, QStringLiteral("NO_SUCH_COLUMN = 1"), -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY2(prompts.messages.first().contains("NO_SUCH_COLUMN"),
             qPrintable(prompts.messages.first()));
    QCOMPARE(prompts.icons.first(), QMessageBox::Warning);
    QCOMPARE(m_grid->Model()->columnCount(), 0);
    QCOMPARE(status.last().at(0).toString(), FromStd(kQueryDoneText));

    // The list works on afterwards, and a header click keeps the search condition.
    Env().Exec({Call(st::kIncomingCalls, "Анна", "111"), Call(st::kIncomingCalls, "Борис", "222"),
                Call(st::kIncomingCalls, "Вера", "111")});
    m_grid->ShowFilteredLog(kInData, QString::fromStdString(PhoneCondition("111")), -1);
    WAIT_IDLE(*m_grid);
    QCOMPARE(ColumnTexts(*m_grid->Model(), 1), (QStringList{"Анна", "Вера"}));
    ClickHeader(*m_grid, 1);
    QTRY_COMPARE(ColumnTexts(*m_grid->Model(), 1), (QStringList{"Вера", "Анна"}));
    WAIT_IDLE(*m_grid);
    QCOMPARE(prompts.messages.size(), 1);
}

void TestGridView::aRequestWhileAQueryRunsOnlyCancelsIt() {
    Env().Exec({ManyCalls(st::kIncomingCalls, 2000), Call(st::kOutgoingCalls, "Анна", "1")});
    QVERIFY(OpenGrid());
    QSignalSpy status(m_grid.get(), &CDataGridView::statusText);
    m_grid->ShowCallLog(kInData, -1);
    // The worker's end is handled by this thread's event loop, which has not run yet: the query
    // counts as running whatever the worker has done meanwhile.
    QVERIFY(m_grid->IsQueryRunning());
    m_grid->ShowCallLog(kOutData, -1);
    QCOMPARE(m_grid->CurrentTable(), kInData);
    QCOMPARE(status.last().at(0).toString(), FromStd(kQueryCancellingText));
    WAIT_IDLE(*m_grid);
    QCOMPARE(status.last().at(0).toString(), FromStd(kQueryDoneText));
    QCOMPARE(m_grid->CurrentTable(), kInData);

    m_grid->ShowCallLog(kOutData, -1);
    QCOMPARE(m_grid->CurrentTable(), kOutData);
    WAIT_IDLE(*m_grid);
    QCOMPARE(ColumnTexts(*m_grid->Model(), 1), QStringList{"Анна"});
}

void TestGridView::headerClickWhileRunningSortsOnceTheCancelledQueryHasEnded() {
    constexpr int kRows = 20000;
    Env().Exec({ManyCalls(st::kIncomingCalls, kRows)});
    QVERIFY(OpenGrid());
    CGridModel& model = *m_grid->Model();
    QSignalSpy status(m_grid.get(), &CDataGridView::statusText);
    QStringList firstOfEachInsert;
    int inserted = 0;
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [&](const QModelIndex&, int first, int last) {
                firstOfEachInsert.append(model.Text(first, 1));
                inserted += last - first + 1;
            });
    // The click is queued: a fast worker may hand over its first rows before it is handled, and
    // the click's reset wipes them. Only what arrives after the last reset counts.
    connect(&model, &QAbstractItemModel::modelReset, this, [&] {
        firstOfEachInsert.clear();
        inserted = 0;
    });
    m_grid->ShowCallLog(kInData, -1);
    // A click on "Абонент" that is handled before the worker's end: the query is running.
    emit m_grid->TableView()->horizontalHeader()->sectionClicked(1);
    // Meanwhile the worker goes on and hands over its columns and rows, which now arrive after
    // the click that emptied the list.
    QThread::msleep(300);
    WAIT_IDLE(*m_grid);
    QVERIFY(status.contains(QVariantList{FromStd(kQueryCancellingText)}));
    // Exactly the rows of the sorted query: nothing the first one still handed over.
    QCOMPARE(model.rowCount(), kRows);
    QCOMPARE(model.Text(0, 1), QStringLiteral("Абонент 20000"));
    QCOMPARE(model.Text(kRows - 1, 1), QStringLiteral("Абонент 00001"));
    const QStringList names = ColumnTexts(model, 1);
    QCOMPARE(std::set<QString>(names.begin(), names.end()).size(), std::size_t{kRows});
    QCOMPARE(model.SortMarkColumn(), 1);
    QCOMPARE(inserted, kRows);
    QCOMPARE(firstOfEachInsert.first(), QStringLiteral("Абонент 20000"));
}

void TestGridView::destroyingTheViewWhileItsErrorBoxIsOpenDoesNotHang() {
    QVERIFY(OpenGrid());
    DestroyOnMessage answers(m_grid);
    m_grid->ShowFilteredLog(kInData, QStringLiteral("NO_SUCH_COLUMN = 1"), -1);
    // The worker waits for the box; the box's answer destroys the view, which joins the worker.
    QTRY_VERIFY_WITH_TIMEOUT(m_grid == nullptr, 30000);
    QCOMPARE(answers.messages.size(), 1);
    QVERIFY(answers.messages.first().contains("NO_SUCH_COLUMN"));
}

void TestGridView::destroyingTheViewWhileAQueryRunsDoesNotHang() {
    Env().Exec({ManyCalls(st::kIncomingCalls, 20000)});
    QVERIFY(OpenGrid());
    m_grid->ShowCallLog(kInData, -1);
    QTRY_VERIFY_WITH_TIMEOUT(m_grid->Model()->rowCount() > 0, 30000);
    m_grid.reset();
    // What the worker still handed over is dropped with the view.
    QTest::qWait(50);
}

void TestGridView::aMissingDataSourceSaysHowToCreateIt() {
    // unixODBC keeps what it read of odbc.ini for a while, so a process that has seen FNDB would
    // still find it: the check runs in a fresh process of this program that never made one.
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kNoDataSourceVariable), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             output.constData());
    QVERIFY2(output.contains("PASS   : fonedesk::test::TestGridNoDataSource::"
                             "openingFailsWithHowToCreateTheSource()"),
             output.constData());
}

class TestGridNoDataSource : public QObject {
    Q_OBJECT
  private slots:
    void openingFailsWithHowToCreateTheSource();
};

void TestGridNoDataSource::openingFailsWithHowToCreateTheSource() {
    CPromptRecorder prompts;
    prompts.AnswerNextMessage(QMessageBox::No);  // the offer to create it
    CDataGridView grid;
    QVERIFY(!grid.OpenDataSource());
    QCOMPARE(prompts.messages.size(), 2);
    QCOMPARE(prompts.icons.first(), QMessageBox::Question);
    const QString text = prompts.messages.last();
    QVERIFY2(text.startsWith(QStringLiteral("Unable to open datasource FNDB\n\n")),
             qPrintable(text));
    QVERIFY(text.contains(LoadString(IDS_DATASOURCE_SETUP_HINT)));
    QVERIFY(text.contains(QStringLiteral("fndb-setup --postgres")));
    QCOMPARE(prompts.icons.last(), QMessageBox::Critical);
    // Single-row reads without a connection answer as for a missing row.
    QCOMPARE(grid.GetMessageHandle(1), quint16{0});
    QCOMPARE(grid.GetRowPhone(1), QString());
}

int RunGridNoDataSourceTests(int argc, char** argv) {
    TestGridNoDataSource tests;
    return QTest::qExec(&tests, argc, argv);
}

int RunGridViewTests(int argc, char** argv) {
    TestGridView tests;
    return QTest::qExec(&tests, argc, argv);
}

}  // namespace fonedesk::test

#include "GridViewTest.moc"
