#include <QApplication>

#include "tests/client/shell/settings/special/SpecialTests.h"
#include "tests/client/shell/support/ClientTestEnvironment.h"

int main(int argc, char** argv) {
    // The throwaway profile, data source and folders first, before anything reads them.
    fonedesk::test::CClientTestEnvironment::Instance();
    QApplication app(argc, argv);
    int failures = 0;
    failures += fonedesk::test::RunSpecialConfPageTests(argc, argv);
    failures += fonedesk::test::RunProgramConfPageTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
