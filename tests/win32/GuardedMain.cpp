// main() of the test programs that change the machine: they run only on a
// machine marked disposable.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/win32/DisposableMachine.h"

int main(int argc, char** argv) {
  if (!halvane::testing::IsDisposableMachine()) {
    std::fprintf(stderr,
                 "%s: not run, nothing was changed.\n"
                 "These tests delete AutoCAD's settings, registry keys and program file, and\n"
                 "install and remove packages. They run only on a machine marked disposable\n"
                 "(HKLM\\SOFTWARE\\Fenwright\\Halvane2023 Test Machine, value Disposable), as the\n"
                 "project's own set-ups mark theirs:\n"
                 "  on Linux:   scripts/test (Wine prefixes of the build's own)\n"
                 "  on Windows: tests\\windows\\halvane-tests.wsb (Windows Sandbox)\n",
                 argc > 0 ? argv[0] : "test program");
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
