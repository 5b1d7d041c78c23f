// Printing the list to PDF and reading the pages back with pdftotext (poppler-utils).

#include <QHeaderView>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "client/data/StatementFormat.h"
#include "client/data/Statements.h"
#include "client/shell/DataGridView.h"
#include "client/shell/GridModel.h"
#include "tests/client/shell/grid/GridTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

namespace fonedesk::test {
namespace {

namespace st = fonedesk::statements;

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page, as pdftotext lays it out.
QStringList PdfPages(const QString& file) {
    QStringList pages = Run("pdftotext", {"-layout", file, "-"}).split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

int PdfPageCount(const QString& file) {
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                   QRegularExpression::MultilineOption);
    const auto match = pages.match(Run("pdfinfo", {file}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString Name(int i) {
    return QStringLiteral("Абонент %1").arg(i, 3, 10, QChar('0'));
}

}  // namespace

class TestGridPrint : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void aLongListTakesSeveralFullPagesWithTheHeaderOnEach();
    void columnsPrintInTheOrderTheUserArrangedThem();
    void aCallLogPrintsItsTimesAndAnEmptyListItsHeader();

  private:
    bool OpenGrid();
    QString Print();

    std::unique_ptr<CDataGridView> m_grid;
};

void TestGridPrint::init() {
    Env().RemoveProfile();
    Env().CreateDataSource();
}

void TestGridPrint::cleanup() {
    m_grid.reset();
}

bool TestGridPrint::OpenGrid() {
    m_grid = std::make_unique<CDataGridView>();
    m_grid->resize(900, 500);
    m_grid->show();
    return QTest::qWaitForWindowExposed(m_grid.get()) && m_grid->OpenDataSource();
}

QString TestGridPrint::Print() {
    const QString file = QString::fromStdString(Env().Folder()) + "/list.pdf";
    QFile::remove(file);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    m_grid->PrintPages(&printer);
    return file;
}

void TestGridPrint::aLongListTakesSeveralFullPagesWithTheHeaderOnEach() {
    constexpr int kRows = 100;
    std::vector<std::string> rows;
    for (int i = 1; i <= kRows; ++i) {
        rows.push_back(FormatStatement(
            st::kInsertPhoneBookRow,
            {st::kPhoneBook, std::to_string(5550000 + i), Name(i).toStdString(), "к"}));
    }
    Env().Exec(rows);
    QVERIFY(OpenGrid());
    m_grid->ShowPhoneBook(QStringLiteral("phone_book"), -1);
    QTRY_VERIFY(!m_grid->IsQueryRunning());
    m_grid->AlphabetTabs()->setCurrentIndex(1);  // "А"
    QTRY_VERIFY(!m_grid->IsQueryRunning());
    QCOMPARE(m_grid->Model()->rowCount(), kRows);

    const QString file = Print();
    const QStringList pages = PdfPages(file);
    QVERIFY2(pages.size() > 1, "pdftotext read no pages (poppler-utils installed?)");
    QCOMPARE(PdfPageCount(file), pages.size());

    QList<int> rowsPerPage;
    QString all;
    for (const QString& page : pages) {
        for (const char* caption : {"Телефон", "Абонент", "Комментарий"}) {
            QVERIFY2(page.contains(QString::fromUtf8(caption)), qPrintable(page));
        }
        rowsPerPage.append(
            static_cast<int>(page.count(QRegularExpression(QStringLiteral("Абонент \\d{3}")))));
        all += page;
    }
    for (int i = 1; i <= kRows; ++i) {
        QCOMPARE(all.count(Name(i)), qsizetype{1});
        QVERIFY(all.contains(QString::number(5550000 + i)));
    }
    // Every page but the last is full, and the last has rows.
    const int full = rowsPerPage.first();
    for (int p = 0; p + 1 < rowsPerPage.size(); ++p) {
        QCOMPARE(rowsPerPage[p], full);
    }
    QVERIFY(rowsPerPage.last() >= 1);
    QCOMPARE(pages.size(), (kRows + full - 1) / full);
    // Rows go down the pages in the list's order.
    QVERIFY(pages.first().contains(Name(1)));
    QVERIFY(pages.last().contains(Name(kRows)));
}

void TestGridPrint::columnsPrintInTheOrderTheUserArrangedThem() {
    Env().Exec({FormatStatement(st::kInsertPhoneBookRow,
                                {st::kPhoneBook, "5551234", "Zeta", "примечание"})});
    QVERIFY(OpenGrid());
    m_grid->ShowPhoneBook(QStringLiteral("phone_book"), -1);
    QTRY_VERIFY(!m_grid->IsQueryRunning());
    QHeaderView* header = m_grid->TableView()->horizontalHeader();
    header->moveSection(0, 2);  // "Телефон" last

    const QStringList pages = PdfPages(Print());
    QCOMPARE(pages.size(), 1);
    const QString page = pages.first();
    QVERIFY(page.indexOf("Абонент") < page.indexOf("Комментарий"));
    QVERIFY(page.indexOf("Комментарий") < page.indexOf("Телефон"));
    QVERIFY(page.indexOf("Zeta") < page.indexOf("примечание"));
    QVERIFY(page.indexOf("примечание") < page.indexOf("5551234"));
}

void TestGridPrint::aCallLogPrintsItsTimesAndAnEmptyListItsHeader() {
    Env().Exec({FormatStatement(st::kInsertCallRecord, {st::kIncomingCalls, "Анна", "0101",
                                                        "07-05-03 14:09", 42, 0, 0, 100, 7})});
    QVERIFY(OpenGrid());
    m_grid->ShowCallLog(QStringLiteral("in_data"), -1);
    QTRY_VERIFY(!m_grid->IsQueryRunning());
    QStringList pages = PdfPages(Print());
    QCOMPARE(pages.size(), 1);
    for (const char* text :
         {"Абонент", "Дата звонка", "Длительность", "Анна", "2003-05-07 14:09", "42"}) {
        QVERIFY2(pages.first().contains(QString::fromUtf8(text)), text);
    }
    QVERIFY(!pages.first().contains("14:09:00"));

    m_grid->ShowCallLog(QStringLiteral("out_data"), -1);
    QTRY_VERIFY(!m_grid->IsQueryRunning());
    pages = PdfPages(Print());
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages.first().contains("Дата звонка"));
}

int RunGridPrintTests(int argc, char** argv) {
    TestGridPrint tests;
    return QTest::qExec(&tests, argc, argv);
}

}  // namespace fonedesk::test

#include "GridPrintTest.moc"
