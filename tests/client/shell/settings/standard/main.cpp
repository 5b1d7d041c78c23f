#include <QApplication>

#include "tests/client/shell/settings/standard/PageTestWorld.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

int main(int argc, char** argv) {
    // The throwaway profile, data source and folders first, before anything reads them.
    fonedesk::test::CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    fonedesk::test::CClientTestEnvironment::Instance().RegisterControl();
    int failures = 0;
    failures += fonedesk::test::RunGeneralPageTests(argc, argv);
    failures += fonedesk::test::RunStandardPageTests(argc, argv);
    failures += fonedesk::test::RunAutoDetPageTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
