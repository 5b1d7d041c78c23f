#include "tests/client/shell/support/ClientTestEnvironment.h"

#include <stdlib.h>

#include <QProcess>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "client/data/DataSource.h"
#include "client/data/Database.h"
#include "client/data/Recordset.h"
#include "tools/fndb-setup/DataSourceSetup.h"

#ifndef FONERIX_LIBRARY_PATH
#error "FONERIX_LIBRARY_PATH must name the built libfonerix.so"
#endif
#ifndef FONERIX_REGSVR_PATH
#error "FONERIX_REGSVR_PATH must name the built fonerix-regsvr"
#endif

// What the libraries under the window tests keep until the process ends: Qt's X11 platform
// talks to D-Bus through libdbus, which keeps a buffer of its own; the player's GStreamer sink
// leaves libpulse's context allocations behind when it is torn down.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libpulse.so\nleak:libpulsecommon\n";
}

namespace fonedesk::test {
namespace {

namespace fs = std::filesystem;

void RunTool(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(FONERIX_REGSVR_PATH), arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        throw std::runtime_error("fonerix-regsvr " + arguments.join(' ').toStdString() +
                                 " failed: " + process.readAll().toStdString());
    }
}

struct RemoveAtExit {
    std::string folder;
    ~RemoveAtExit() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

}  // namespace

CClientTestEnvironment& CClientTestEnvironment::Instance() {
    static CClientTestEnvironment instance;
    return instance;
}

CClientTestEnvironment::CClientTestEnvironment() {
    char pattern[] = "/tmp/fonedesk-window-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    m_folder = pattern;
    static RemoveAtExit remover{m_folder};
    const fs::path dir = m_folder;
    fonedesk::setup::UsePrivateOdbcConfiguration(dir);
    // No test may put notifications on the desktop of the person running it: the session bus is
    // one that is not there, unless the test runs on a private bus of its own (dbus-run-session).
    if (getenv("FONEDESK_TEST_PRIVATE_BUS") == nullptr) {
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir / "no-bus").string()).c_str(), 1);
    }
    // Nor may a test play sound on that person's speakers: a player started by a test reaches
    // no sound server unless the test brings its own (PULSE_SERVER set, as the playback test's).
    if (getenv("PULSE_SERVER") == nullptr) {
        setenv("PULSE_SERVER", ("unix:" + (dir / "no-sound-server").string()).c_str(), 1);
    }
    NoSet();
}

void CClientTestEnvironment::RegisterControl() {
    RunTool({QStringLiteral(FONERIX_LIBRARY_PATH)});
}

void CClientTestEnvironment::UnregisterControl() {
    RunTool({QStringLiteral("-u"), QStringLiteral(FONERIX_LIBRARY_PATH)});
}

void CClientTestEnvironment::CreateDataSource() {
    const fs::path file = fonedesk::setup::DefaultDatabaseFile();
    std::error_code ec;
    fs::remove(file, ec);
    fonedesk::setup::SetupSqlite(kDataSourceName, file);
}

void CClientTestEnvironment::Exec(const std::vector<std::string>& statements) {
    CDatabase db;
    std::string message;
    if (!OpenDataSource(db, &message)) {
        throw std::runtime_error("FNDB: " + message);
    }
    for (const std::string& sql : statements) {
        db.ExecuteSQL(sql);
    }
}

std::vector<std::string> CClientTestEnvironment::Column(const std::string& sql) {
    CDatabase db;
    std::string message;
    if (!OpenDataSource(db, &message)) {
        throw std::runtime_error("FNDB: " + message);
    }
    std::vector<std::string> values;
    CRecordsetEx rs(db);
    rs.Open(sql);
    while (!rs.IsEOF()) {
        std::string value;
        rs.GetFieldValue(0, value);
        values.push_back(value);
        rs.MoveNext();
    }
    return values;
}

std::unique_ptr<fonerix::test::SimProcess> CClientTestEnvironment::StartSet(
    fonerix::test::SimOptions options) {
    auto set = std::make_unique<fonerix::test::SimProcess>(std::move(options));
    setenv("FONERIX_COM1", set->LinkPath().c_str(), 1);
    return set;
}

void CClientTestEnvironment::NoSet() {
    for (int port = 1; port <= 4; ++port) {
        const std::string name = "FONERIX_COM" + std::to_string(port);
        setenv(name.c_str(), (m_folder + "/no-port-" + std::to_string(port)).c_str(), 1);
    }
}

std::string CClientTestEnvironment::ProfilePath() const {
    return m_folder + "/config/Fonedesk.INI";
}

void CClientTestEnvironment::RemoveProfile() {
    std::remove(ProfilePath().c_str());
}

QMessageBox::StandardButton CPromptRecorder::OnMessage(QMessageBox::Icon icon, const QString& text,
                                                       QMessageBox::StandardButtons buttons) {
    messages.append(text);
    icons.append(icon);
    if (!m_answers.isEmpty()) {
        return m_answers.dequeue();
    }
    // The first button a box offers, in Qt's order of standard buttons.
    for (int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (buttons.testFlag(static_cast<QMessageBox::StandardButton>(bit))) {
            return static_cast<QMessageBox::StandardButton>(bit);
        }
    }
    return QMessageBox::Ok;
}

QString CPromptRecorder::OnFileDialog(const FileDialogRequest& request) {
    fileDialogs.append(request);
    QQueue<QString>& answers = request.kind == FileDialogRequest::Folder ? m_folders : m_files;
    return answers.isEmpty() ? QString() : answers.dequeue();
}

}  // namespace fonedesk::test
