// The search form through the real main frame and a throwaway FNDB: searching a log by number
// and by days, what the list then shows, and the searches that must not touch the list.
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <optional>

#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "client/shell/DataGridView.h"
#include "client/shell/GridModel.h"
#include "client/shell/MainFrame.h"
#include "client/shell/SearchBoardView.h"
#include "client/shell/TabView.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

using fonedesk::CDataGridView;
using fonedesk::CMainFrame;
using fonedesk::CSearchBoardView;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CPromptRecorder;
namespace st = fonedesk::statements;

namespace {

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string Call(std::string_view table, std::string_view name, std::string_view phone,
                 std::string_view time) {
    return fonedesk::FormatStatement(st::kInsertCallRecord,
                                     {table, name, phone, time, 5, 0, 0, 100, 0});
}

// The form's fields, found by their resource names.
struct Form {
    explicit Form(CSearchBoardView& view)
        : outgoing(Find<QRadioButton>(view, "IDC_SEARCH_OUTGOING")),
          incoming(Find<QRadioButton>(view, "IDC_SEARCH_INCOMING")),
          byNumber(Find<QRadioButton>(view, "IDC_SEARCH_BY_NUMBER")),
          byDate(Find<QRadioButton>(view, "IDC_SEARCH_BY_DATE")),
          number(Find<QLineEdit>(view, "IDC_SEARCH_NUMBER")),
          fromBox(Find<QCheckBox>(view, "IDC_SEARCH_FROM_CHECK")),
          from(Find<QDateEdit>(view, "IDC_SEARCH_FROM")),
          toBox(Find<QCheckBox>(view, "IDC_SEARCH_TO_CHECK")),
          to(Find<QDateEdit>(view, "IDC_SEARCH_TO")),
          button(Find<QPushButton>(view, "IDC_SEARCH_BUTTON")) {}

    template <typename T>
    static T* Find(CSearchBoardView& view, const char* name) {
        T* child = view.findChild<T*>(QString::fromLatin1(name));
        if (child == nullptr) {
            qFatal("the search form has no %s", name);
        }
        return child;
    }

    // Picks the days for a date search; an absent day is unticked.
    void SetDays(std::optional<QDate> first, std::optional<QDate> last) {
        byDate->click();
        fromBox->setChecked(first.has_value());
        if (first) {
            from->setDate(*first);
        }
        toBox->setChecked(last.has_value());
        if (last) {
            to->setDate(*last);
        }
    }

    QRadioButton* outgoing;
    QRadioButton* incoming;
    QRadioButton* byNumber;
    QRadioButton* byDate;
    QLineEdit* number;
    QCheckBox* fromBox;
    QDateEdit* from;
    QCheckBox* toBox;
    QDateEdit* to;
    QPushButton* button;
};

// The names in the list, in the list's order.
QStringList Names(const CDataGridView& grid) {
    QStringList names;
    for (int row = 0; row < grid.Model()->rowCount(); ++row) {
        names.append(grid.Model()->Text(row, 1));
    }
    return names;
}

QStringList Sorted(QStringList names) {
    names.sort();
    return names;
}

bool WaitIdle(const CDataGridView& grid) {
    return QTest::qWaitFor([&] { return !grid.IsQueryRunning(); }, 30000);
}

}  // namespace

class SearchBoardTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void theFirstSearchLooksInTheOutgoingLogByNumber();
    void aNumberIsFoundWholeWithoutTheBlanksAroundIt();
    void searchesWithNothingToLookForLeaveTheListAlone();
    void daysListTheCallsFromTheFirstDayToTheEndOfTheLast_data();
    void daysListTheCallsFromTheFirstDayToTheEndOfTheLast();
    void withoutAListTheSearchDoesNothing();

  private:
    // Starts the frame, shows it with the search tab in front, and waits for its first list.
    void StartFrame();
    // Runs the search as a user does, and waits for the list.
    void ClickSearch();

    std::unique_ptr<CPromptRecorder> m_prompts;
    std::unique_ptr<fonerix::test::SimProcess> m_set;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<Form> m_form;
};

void SearchBoardTest::initTestCase() {
    Env().RegisterControl();
}

void SearchBoardTest::init() {
    Env().NoSet();
    Env().RemoveProfile();
    Env().CreateDataSource();
    // A call at each edge of the days 2003-05-07 and 2003-05-08, and two outgoing calls.
    Env().Exec({
        Call(st::kIncomingCalls, "Анна", "0123", "07-05-03 00:00"),
        Call(st::kIncomingCalls, "Борис", "0124", "06-05-03 23:59"),
        Call(st::kIncomingCalls, "Вера", "0123", "08-05-03 23:59"),
        Call(st::kIncomingCalls, "Галина", "12'3", "09-05-03 00:00"),
        Call(st::kIncomingCalls, "Дарья", "01234", "07-05-03 12:00"),
        Call(st::kOutgoingCalls, "Егор", "0123", "07-05-03 10:00"),
        Call(st::kOutgoingCalls, "Жанна", "555", "08-05-03 12:00"),
    });
    m_prompts = std::make_unique<CPromptRecorder>();
}

void SearchBoardTest::cleanup() {
    if (m_frame != nullptr) {
        WaitIdle(*m_frame->Grid());
    }
    m_form.reset();
    m_frame.reset();
    m_set.reset();
    m_prompts.reset();
}

void SearchBoardTest::StartFrame() {
    m_frame = std::make_unique<CMainFrame>();
    QVERIFY(m_frame->Create());
    QVERIFY(m_frame->SearchBoard() != nullptr);
    QCOMPARE(m_frame->SearchBoard()->GridView(), m_frame->Grid());
    m_frame->TabView()->setCurrentWidget(m_frame->SearchBoard());
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    QVERIFY(WaitIdle(*m_frame->Grid()));
    m_form = std::make_unique<Form>(*m_frame->SearchBoard());
}

void SearchBoardTest::ClickSearch() {
    QTest::mouseClick(m_form->button, Qt::LeftButton);
    QVERIFY(WaitIdle(*m_frame->Grid()));
}

void SearchBoardTest::theFirstSearchLooksInTheOutgoingLogByNumber() {
    // A start with a set on the line, as a user has it.
    m_set = Env().StartSet({.type = 5});
    StartFrame();
    QVERIFY(m_frame->Device().inUse != 0);
    QCOMPARE(m_frame->Grid()->CurrentTable(), U("in_data"));
    QVERIFY(m_form->outgoing->isChecked());
    QVERIFY(!m_form->incoming->isChecked());
    QVERIFY(m_form->byNumber->isChecked());
    QVERIFY(!m_form->byDate->isChecked());

    // Enter in the number field searches as the button does.
    m_form->number->setFocus();
    QTest::keyClicks(m_form->number, QStringLiteral("0123"));
    QTest::keyClick(m_form->number, Qt::Key_Return);
    QVERIFY(WaitIdle(*m_frame->Grid()));
    QCOMPARE(m_frame->Grid()->CurrentTable(), U("out_data"));
    QCOMPARE(Names(*m_frame->Grid()), QStringList{U("Егор")});
    QVERIFY(m_prompts->messages.isEmpty());
}

void SearchBoardTest::aNumberIsFoundWholeWithoutTheBlanksAroundIt() {
    StartFrame();
    CDataGridView& grid = *m_frame->Grid();
    m_form->incoming->click();
    // Neither 0124 nor 01234: the whole number only.
    m_form->number->setText(QStringLiteral("  0123 \t"));
    ClickSearch();
    QCOMPARE(grid.CurrentTable(), U("in_data"));
    QCOMPARE(Sorted(Names(grid)), (QStringList{U("Анна"), U("Вера")}));

    // A quote is searched for like any other character; the database does not refuse it.
    m_form->number->setText(QStringLiteral("12'3"));
    ClickSearch();
    QCOMPARE(Names(grid), QStringList{U("Галина")});
    m_form->number->setText(QStringLiteral("0' OR '1'='1"));
    ClickSearch();
    QCOMPARE(Names(grid), QStringList{});

    // The other log; the days of the other criterion do not count.
    m_form->outgoing->click();
    m_form->fromBox->setChecked(true);
    m_form->from->setDate(QDate(2003, 5, 8));
    m_form->number->setText(QStringLiteral("0123"));
    ClickSearch();
    QCOMPARE(grid.CurrentTable(), U("out_data"));
    QCOMPARE(Names(grid), QStringList{U("Егор")});
    QVERIFY2(m_prompts->messages.isEmpty(), qPrintable(m_prompts->messages.join('\n')));
}

void SearchBoardTest::searchesWithNothingToLookForLeaveTheListAlone() {
    StartFrame();
    CDataGridView& grid = *m_frame->Grid();
    const QStringList shown = Names(grid);
    QCOMPARE(shown.size(), 5);
    QSignalSpy resets(grid.Model(), &QAbstractItemModel::modelReset);
    QSignalSpy status(&grid, &CDataGridView::statusText);

    for (const QString& number : {QString(), QStringLiteral("   "), QStringLiteral(" \t ")}) {
        m_form->number->setText(number);
        QTest::mouseClick(m_form->button, Qt::LeftButton);
        QTest::keyClick(m_form->number, Qt::Key_Return);
    }
    // By date with neither day ticked, whatever the number field holds.
    m_form->number->setText(QStringLiteral("0123"));
    m_form->SetDays(std::nullopt, std::nullopt);
    QVERIFY(!m_form->from->isEnabled());
    QVERIFY(!m_form->to->isEnabled());
    QTest::mouseClick(m_form->button, Qt::LeftButton);

    // No query started: the list was neither emptied nor asked for again.
    QVERIFY(!grid.IsQueryRunning());
    QCOMPARE(resets.count(), 0);
    QCOMPARE(status.count(), 0);
    QCOMPARE(grid.CurrentTable(), U("in_data"));
    QCOMPARE(Names(grid), shown);
    QVERIFY(m_prompts->messages.isEmpty());

    // Ticking a day again makes the search work.
    m_form->toBox->setChecked(true);
    QVERIFY(m_form->to->isEnabled());
    m_form->to->setDate(QDate(2003, 5, 7));
    ClickSearch();
    QCOMPARE(grid.CurrentTable(), U("out_data"));
    QCOMPARE(Names(grid), QStringList{U("Егор")});
}

void SearchBoardTest::daysListTheCallsFromTheFirstDayToTheEndOfTheLast_data() {
    QTest::addColumn<bool>("incoming");
    QTest::addColumn<std::optional<QDate>>("first");
    QTest::addColumn<std::optional<QDate>>("last");
    QTest::addColumn<QStringList>("names");
    const QDate may7(2003, 5, 7);
    const QDate may8(2003, 5, 8);
    QTest::newRow("first day only") << true << std::optional(may7) << std::optional<QDate>()
                                    << QStringList{U("Анна"), U("Вера"), U("Галина"), U("Дарья")};
    // 23:59 of the last day is in, 00:00 of the next day is not.
    QTest::newRow("last day only") << true << std::optional<QDate>() << std::optional(may8)
                                   << QStringList{U("Анна"), U("Борис"), U("Вера"), U("Дарья")};
    QTest::newRow("both days") << true << std::optional(may7) << std::optional(may8)
                               << QStringList{U("Анна"), U("Вера"), U("Дарья")};
    QTest::newRow("one day") << true << std::optional(may8) << std::optional(may8)
                             << QStringList{U("Вера")};
    QTest::newRow("the wrong way round")
        << true << std::optional(may8) << std::optional(may7) << QStringList{};
    QTest::newRow("outgoing") << false << std::optional(may8) << std::optional(may8)
                              << QStringList{U("Жанна")};
}

void SearchBoardTest::daysListTheCallsFromTheFirstDayToTheEndOfTheLast() {
    QFETCH(bool, incoming);
    QFETCH(std::optional<QDate>, first);
    QFETCH(std::optional<QDate>, last);
    QFETCH(QStringList, names);
    StartFrame();
    (incoming ? m_form->incoming : m_form->outgoing)->click();
    // The number field does not count in a date search.
    m_form->number->setText(QStringLiteral("555"));
    m_form->SetDays(first, last);
    ClickSearch();
    QCOMPARE(m_frame->Grid()->CurrentTable(), incoming ? U("in_data") : U("out_data"));
    QCOMPARE(Sorted(Names(*m_frame->Grid())), names);
    QVERIFY(m_prompts->messages.isEmpty());
}

void SearchBoardTest::withoutAListTheSearchDoesNothing() {
    // Before the frame hands it the list, and after the list is gone.
    CSearchBoardView view;
    QCOMPARE(view.GridView(), nullptr);
    Form form(view);
    form.number->setText(QStringLiteral("0123"));
    QTest::mouseClick(form.button, Qt::LeftButton);

    auto grid = std::make_unique<CDataGridView>();
    view.SetGridView(grid.get());
    grid.reset();
    QCOMPARE(view.GridView(), nullptr);
    QTest::mouseClick(form.button, Qt::LeftButton);
    QVERIFY(m_prompts->messages.isEmpty());
}

int main(int argc, char** argv) {
    // The throwaway profile, data source and folders first, before anything reads them.
    CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    SearchBoardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SearchBoardTest.moc"
