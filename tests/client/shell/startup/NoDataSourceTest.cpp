// Start-up without the data source FNDB: a process of its own, since unixODBC keeps what it read
// of odbc.ini for a while and a data source removed by another test could still be found. The
// cases run in the order declared: FNDB does not exist until the user accepts the offer.
#include <QTest>
#include <filesystem>
#include <fstream>

#include "client/data/DataSource.h"
#include "client/shell/FonedeskApp.h"
#include "client/shell/MainFrame.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"
#include "tools/fndb-setup/DataSourceSetup.h"

namespace fs = std::filesystem;
using fonedesk::test::CClientTestEnvironment;
using fonedesk::test::CPromptRecorder;

class NoDataSourceTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void declinedOfferEndsWithTheDataSourceMessage();
    void failedCreationSaysWhyAndLeavesNoDataSource();
    void acceptedOfferCreatesTheSqliteDataSourceAndStarts();
    void existingDataSourceThatDoesNotOpenIsNeverReplaced();
};

namespace {

const QString kOpenFailed = QStringLiteral("Unable to open datasource FNDB\n\n");

// Starts the program with the answers already given; whether it started.
bool Start() {
    fonedesk::CFonedeskApp app;
    const bool started = app.InitInstance();
    return started && app.MainFrame() != nullptr;
}

}  // namespace

void NoDataSourceTest::initTestCase() {
    CClientTestEnvironment::Instance().RegisterControl();
    QVERIFY(!fonedesk::DataSourceExists());
}

void NoDataSourceTest::declinedOfferEndsWithTheDataSourceMessage() {
    CPromptRecorder prompts;
    prompts.AnswerNextMessage(QMessageBox::No);
    QVERIFY(!Start());

    QCOMPARE(prompts.messages.size(), 3);
    QCOMPARE(prompts.icons[0], QMessageBox::Question);
    QVERIFY(prompts.messages[0].startsWith(QStringLiteral("Источник данных FNDB ещё не создан.")));
    const QString file = QString::fromStdString(fonedesk::setup::DefaultDatabaseFile().string());
    QVERIFY2(prompts.messages[0].contains(file), qPrintable(prompts.messages[0]));
    QVERIFY(prompts.messages[1].startsWith(kOpenFailed));
    QVERIFY(prompts.messages[1].contains(QStringLiteral("fndb-setup")));
    QCOMPARE(prompts.icons[1], QMessageBox::Critical);
    QCOMPARE(prompts.messages[2], QStringLiteral("Failed to create empty document."));
    QVERIFY(!fonedesk::DataSourceExists());
    QVERIFY(!fs::exists(fonedesk::setup::DefaultDatabaseFile()));
}

void NoDataSourceTest::failedCreationSaysWhyAndLeavesNoDataSource() {
    // A file where the database's folder should be.
    const fs::path folder = fonedesk::setup::DefaultDatabaseFile().parent_path();
    fs::create_directories(folder.parent_path());
    std::ofstream(folder) << "not a folder";

    CPromptRecorder prompts;
    prompts.AnswerNextMessage(QMessageBox::Yes);
    QVERIFY(!Start());
    fs::remove(folder);

    QCOMPARE(prompts.messages.size(), 3);
    QVERIFY(prompts.messages[1].startsWith(kOpenFailed));
    QVERIFY2(prompts.messages[1].contains(QString::fromStdString(folder.string())),
             qPrintable(prompts.messages[1]));
    QCOMPARE(prompts.messages[2], QStringLiteral("Failed to create empty document."));
    QVERIFY(!fonedesk::DataSourceExists());
}

void NoDataSourceTest::acceptedOfferCreatesTheSqliteDataSourceAndStarts() {
    CPromptRecorder prompts;
    prompts.AnswerNextMessage(QMessageBox::Yes);
    QVERIFY2(Start(), qPrintable(prompts.messages.join('\n')));

    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.icons[0], QMessageBox::Question);
    QVERIFY(fonedesk::DataSourceExists());
    const fonedesk::setup::DataSourceEntry entry =
        fonedesk::setup::ReadDataSource(fonedesk::kDataSourceName);
    QCOMPARE(QString::fromStdString(entry.driver), QStringLiteral("SQLite3"));
    QCOMPARE(entry.database, fonedesk::setup::DefaultDatabaseFile().string());
    // The schema is there: the lists the program shows can be read and written.
    CClientTestEnvironment& env = CClientTestEnvironment::Instance();
    env.Exec({"INSERT INTO phone_book (PHONE, ABONENT) VALUES ('123', 'Анна')"});
    QCOMPARE(env.Column("SELECT ABONENT FROM phone_book"), std::vector<std::string>{"Анна"});

    // The next start asks nothing, and a file with rows is offered back as it is.
    CPromptRecorder again;
    QVERIFY(Start());
    QVERIFY2(again.messages.isEmpty(), qPrintable(again.messages.join('\n')));
}

void NoDataSourceTest::existingDataSourceThatDoesNotOpenIsNeverReplaced() {
    // FNDB stays as the last case made it; its file turns into a folder, which SQLite cannot
    // open. (The data source itself is not rewritten: unixODBC would still hand out the old
    // values for a while.)
    const fs::path file = fonedesk::setup::DefaultDatabaseFile();
    fs::remove(file);
    fs::create_directory(file);

    CPromptRecorder prompts;
    QVERIFY(!Start());
    fs::remove(file);
    QCOMPARE(prompts.messages.size(), 2);
    QVERIFY(prompts.messages[0].startsWith(kOpenFailed));
    QCOMPARE(prompts.icons[0], QMessageBox::Critical);
    QCOMPARE(fonedesk::setup::ReadDataSource(fonedesk::kDataSourceName).database, file.string());
}

QTEST_MAIN(NoDataSourceTest)
#include "NoDataSourceTest.moc"
