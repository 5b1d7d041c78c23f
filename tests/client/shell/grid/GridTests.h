#pragma once

// The grid view's test classes, run one after the other by main.cpp in one application.
namespace fonedesk::test {

int RunGridModelTests(int argc, char** argv);
int RunGridViewTests(int argc, char** argv);
int RunGridPrintTests(int argc, char** argv);

// Set in the environment of the child process that checks a missing FNDB: it runs only that.
inline constexpr char kNoDataSourceVariable[] = "FONEDESK_GRID_TEST_NO_FNDB";
int RunGridNoDataSourceTests(int argc, char** argv);

}  // namespace fonedesk::test
