// The list's commands on the tables through the real main frame, the simulated set and a
// throwaway FNDB: adding and editing records, reading the set's lists, import and export.
#include <QAction>
#include <QFile>
#include <QItemSelectionModel>
#include <QTableView>
#include <QTest>

#include "client/shell/DataGridView.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/GridModel.h"
#include "client/shell/MainFrame.h"
#include "platform/codepage/Cp1251.h"
#include "platform/profile/FonedeskProfile.h"
#include "tests/client/shell/records/RecordTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"
#include "tests/client/shell/support/ModalAnswerer.h"

using fonedesk::CFonedeskApp;
using fonedesk::CMainFrame;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CModalAnswerer;
using fonedesk::test::CPromptRecorder;
namespace profile = platform::fonedesk_profile;

namespace {

constexpr int kViewPhoneBook = 32804;
constexpr int kReadPhoneBook = 32805;
constexpr int kReadCallLogs = 32806;
constexpr int kAddRecord = 32827;
constexpr int kEditRecord = 32828;
constexpr int kExport = 32832;
constexpr int kImport = 32833;

CClientTestEnvironment& Env() {
    return CClientTestEnvironment::Instance();
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::size_t Rows(const char* table) {
    return Env().Column(std::string("SELECT RID FROM ") + table).size();
}

// Runs a command of the frame once the list is idle, and waits for the list again.
bool Run(CMainFrame& frame, int id) {
    if (!QTest::qWaitFor([&] { return !frame.Grid()->IsQueryRunning(); }, 20000)) {
        return false;
    }
    QAction* action = frame.Action(id);
    if (!action->isEnabled()) {
        return false;
    }
    action->trigger();
    return QTest::qWaitFor([&] { return !frame.Grid()->IsQueryRunning(); }, 20000);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray Cp1251(const char* utf8) {
    return QByteArray::fromStdString(platform::Utf8ToCp1251(utf8));
}

}  // namespace

class TableCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();

    void addAndEditThroughTheRecordDialog();
    void readingTheSetsListsTwiceAddsNothing();
    void autoDataReadsTheLogsBehindTheStartUpWindow();
    void importAndExportGoThroughTheFileDialogs();
    void aFileThatCannotBeOpenedIsReported();

  private:
    std::unique_ptr<fonerix::test::SimProcess> m_set;
};

void TableCommandsTest::initTestCase() {
    Env().RegisterControl();
}

void TableCommandsTest::init() {
    m_set.reset();
    Env().NoSet();
    Env().RemoveProfile();
    Env().CreateDataSource();
}

void TableCommandsTest::addAndEditThroughTheRecordDialog() {
    Env().Exec(
        {"INSERT INTO in_data (ABONENT,PHONE,DT_CALL,DELAY,PARALL,FIXED,NAND_ADR,NAND_MESS) "
         "VALUES('0123','0123','07-05-03 14:09',5,0,0,0,0)"});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame& frame = *app.MainFrame();
    // Adding needs the phone book on screen.
    QVERIFY(!frame.Action(kAddRecord)->isEnabled());
    QVERIFY(Run(frame, kViewPhoneBook));

    // A Latin name, so that the row shows under the "*" tab the phone book opens with.
    answers.AnswerNextRecordDialog({U("0123"), U("Anna"), U("соседка")});
    QVERIFY(Run(frame, kAddRecord));
    QCOMPARE(answers.recordTitles, QStringList{U("Добавление новой записи...")});
    QCOMPARE(Env().Column("SELECT ABONENT FROM phone_book WHERE PHONE='0123'"),
             std::vector<std::string>{"Anna"});
    // The call log's row of that number now carries the name.
    QCOMPARE(Env().Column("SELECT ABONENT FROM in_data"), std::vector<std::string>{"Anna"});
    fonedesk::CGridModel& model = *frame.Grid()->Model();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.Text(0, 1), U("Anna"));

    // The same number again: the database refuses it, the user is told.
    answers.AnswerNextRecordDialog({U("0123"), U("Борис"), QString()});
    QVERIFY(Run(frame, kAddRecord));
    QCOMPARE(prompts.messages, QStringList{U("Ошибка! Запись с таким номером уже существует!")});
    // A number the rule refuses keeps the dialog open, and nothing is stored.
    answers.AnswerNextRecordDialog({U("01-23"), U("Вера"), QString()});
    QVERIFY(Run(frame, kAddRecord));
    QCOMPARE(answers.recordsLeftOpen, 1);
    QCOMPARE(Rows("phone_book"), std::size_t{1});

    // Editing the only row: the number is shown read-only, the row changes in place.
    QVERIFY(!frame.Action(kEditRecord)->isEnabled());
    frame.Grid()->TableView()->selectRow(0);
    QVERIFY(frame.Action(kEditRecord)->isEnabled());
    int resets = 0;
    connect(&model, &QAbstractItemModel::modelReset, this, [&] { ++resets; });
    answers.AnswerNextRecordDialog({U("9999"), U("Anna Petrovna"), U("коллега")});
    QVERIFY(Run(frame, kEditRecord));
    QCOMPARE(answers.recordTitles.last(), U("Редактирование записи..."));
    QCOMPARE(answers.recordPhones.last(), U("0123"));
    QCOMPARE(Env().Column("SELECT ABONENT FROM phone_book WHERE PHONE='0123'"),
             std::vector<std::string>{"Anna Petrovna"});
    QCOMPARE(Env().Column("SELECT COMMENT FROM phone_book"), std::vector<std::string>{"коллега"});
    QCOMPARE(model.Text(0, 0), U("0123"));
    QCOMPARE(model.Text(0, 1), U("Anna Petrovna"));
    QCOMPARE(model.Text(0, 2), U("коллега"));
    QCOMPARE(resets, 0);  // not reloaded
}

void TableCommandsTest::readingTheSetsListsTwiceAddsNothing() {
    m_set = Env().StartSet({.type = 5, .generate = "13:12"});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame& frame = *app.MainFrame();

    QVERIFY(Run(frame, kReadCallLogs));
    QTRY_COMPARE(answers.finishingTexts.size(), 1);
    const std::size_t incoming = Rows("in_data");
    const std::size_t outgoing = Rows("out_data");
    QVERIFY(incoming > 0);
    QVERIFY(outgoing > 0);
    QCOMPARE(frame.Grid()->CurrentTable(), U("in_data"));
    QTRY_COMPARE(frame.Grid()->Model()->rowCount(), static_cast<int>(incoming));
    QVERIFY(frame.isEnabled());

    QVERIFY(Run(frame, kReadCallLogs));
    QTRY_COMPARE(answers.finishingTexts.size(), 2);
    QCOMPARE(Rows("in_data"), incoming);
    QCOMPARE(Rows("out_data"), outgoing);

    QVERIFY(Run(frame, kReadPhoneBook));
    const std::size_t book = Rows("phone_book");
    QVERIFY(book > 0);
    QCOMPARE(frame.Grid()->CurrentTable(), U("phone_book"));
    QVERIFY(Run(frame, kReadPhoneBook));
    QCOMPARE(Rows("phone_book"), book);
    QVERIFY(prompts.messages.isEmpty());
}

void TableCommandsTest::autoDataReadsTheLogsBehindTheStartUpWindow() {
    {
        platform::ProfileFile ini(Env().ProfilePath());
        ini.WriteInt(profile::kProgramOptions, profile::kAutoData, 1);
    }
    m_set = Env().StartSet({.type = 5, .generate = "13:12"});
    CPromptRecorder prompts;
    CModalAnswerer answers;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    QVERIFY(Rows("in_data") > 0);
    // All stored: the automatic reading asks for no OK.
    QVERIFY(answers.finishingTexts.isEmpty());
    QCOMPARE(app.MainFrame()->Grid()->CurrentTable(), U("in_data"));
    QTRY_COMPARE(app.MainFrame()->Grid()->Model()->rowCount(), static_cast<int>(Rows("in_data")));
}

void TableCommandsTest::importAndExportGoThroughTheFileDialogs() {
    const QString folder = QString::fromStdString(Env().Folder());
    const QString in = folder + QStringLiteral("/книжка.txt");
    const QString out = folder + QStringLiteral("/экспорт.txt");
    const QByteArray book = Cp1251("0456,Борис,\r\n0123,Анна,соседка\r\n\r\n");
    WriteFile(in, book);
    CPromptRecorder prompts;
    CModalAnswerer answers;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame& frame = *app.MainFrame();

    prompts.AnswerNextFile(in);
    QVERIFY(Run(frame, kImport));
    QTRY_COMPARE(answers.finishingTexts.size(), 1);
    QVERIFY2(answers.finishingTexts[0].startsWith(U("Импортировано 2 номеров из 3 записей (") + in +
                                                  QStringLiteral(")")),
             qPrintable(answers.finishingTexts[0]));
    QCOMPARE(frame.Grid()->CurrentTable(), U("phone_book"));
    QCOMPARE(Rows("phone_book"), std::size_t{2});

    prompts.AnswerNextFile(out);
    QVERIFY(Run(frame, kExport));
    QTRY_COMPARE(answers.finishingTexts.size(), 2);
    QCOMPARE(answers.finishingTexts[1],
             U("Экспортировано 2 номеров (") + out + QStringLiteral(")"));
    QCOMPARE(ReadFile(out), Cp1251("0123,Анна,соседка\r\n0456,Борис,\r\n"));
    QVERIFY(prompts.messages.isEmpty());
    QVERIFY(frame.isEnabled());
}

void TableCommandsTest::aFileThatCannotBeOpenedIsReported() {
    CPromptRecorder prompts;
    CModalAnswerer answers;
    CFonedeskApp app;
    QVERIFY(app.InitInstance());
    CMainFrame& frame = *app.MainFrame();
    const QString missing =
        QString::fromStdString(Env().Folder()) + QStringLiteral("/нет/книжка.txt");
    for (int id : {kImport, kExport}) {
        prompts.AnswerNextFile(missing);
        QVERIFY(Run(frame, id));
    }
    QCOMPARE(prompts.messages.size(), 2);
    for (const QString& message : prompts.messages) {
        QVERIFY2(message.contains(missing), qPrintable(message));
    }
    QVERIFY(answers.finishingTexts.isEmpty());
    QCOMPARE(Rows("phone_book"), std::size_t{0});
    QVERIFY(frame.isEnabled());
}

int fonedesk::test::RunTableCommandTests(int argc, char** argv) {
    TableCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TableCommandsTest.moc"
