#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "program/application.h"
#include "support/test_support.h"

class QMenu;
class TForm1;

// One running program in a fresh program directory, its main window shown and active,
// as a user finds it after starting it.
class RunningProgram : public ::testing::Test {
  protected:
    void SetUp() override;
    // Ends the program and leaves an empty clipboard to the next test.
    void TearDown() override;
    // Opens `menu` as the menu bar does (its opening handler runs), then presses the
    // access key of one of its items, or Escape to close it again.
    void choose(QMenu* menu, Qt::Key key);

    TempProgramDir dir;
    std::unique_ptr<Application> program;
    TForm1* form1 = nullptr;
};
