#include "client/shell/DataSourceOffer.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "client/data/DataSource.h"
#include "client/resources/Strings.h"
#include "client/shell/Prompts.h"
#include "client/shell/WaitCursor.h"
#include "tools/fndb-setup/DataSourceSetup.h"

namespace fonedesk {

bool OfferDataSourceCreation(QWidget* parent, QString* failure) {
    std::filesystem::path file;
    try {
        file = fonedesk::setup::DefaultDatabaseFile();
    } catch (const fonedesk::setup::SetupError& e) {
        *failure = QString::fromUtf8(e.what());
        return false;
    }
    QString where = QString::fromStdString(file.string());
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        where += QLatin1Char('\n') + LoadString(IDS_DATASOURCE_FILE_KEPT);
    }
    const QMessageBox::StandardButton answer = CPrompts::Message(
        parent, QMessageBox::Question, LoadString(IDS_DATASOURCE_CREATE_PROMPT).arg(where),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return false;
    }
    try {
        CWaitCursor wait;
        fonedesk::setup::SetupSqlite(kDataSourceName, file);
        return true;
    } catch (const std::exception& e) {
        *failure = QString::fromUtf8(e.what());
        return false;
    }
}

}  // namespace fonedesk
