#include <QApplication>

#include "tests/client/shell/grid/GridTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

int main(int argc, char** argv) {
    // The throwaway profile, data source and folders first, before anything reads them.
    fonedesk::test::CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(fonedesk::test::kNoDataSourceVariable)) {
        return fonedesk::test::RunGridNoDataSourceTests(argc, argv);
    }
    int failures = 0;
    failures += fonedesk::test::RunGridModelTests(argc, argv);
    failures += fonedesk::test::RunGridViewTests(argc, argv);
    failures += fonedesk::test::RunGridPrintTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
