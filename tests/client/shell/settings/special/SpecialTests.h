#pragma once

// The test classes of the pages "Специальные" and "Программные", run by main.cpp in one
// application.
namespace fonedesk::test {

int RunSpecialConfPageTests(int argc, char** argv);
int RunProgramConfPageTests(int argc, char** argv);

}  // namespace fonedesk::test
