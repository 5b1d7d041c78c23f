#pragma once

// The record dialog's and the phone-book commands' test classes, run by main.cpp in one
// application.
namespace fonedesk::test {

int RunRecordDialogTests(int argc, char** argv);
int RunTableCommandTests(int argc, char** argv);

}  // namespace fonedesk::test
