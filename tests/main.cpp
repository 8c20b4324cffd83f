// The test runner: a Qt application on the offscreen platform, so every
// window and control is real and no display is needed.
#include <QApplication>
#include <gtest/gtest.h>

#include "LeftAsFound.h"
#include "app/Startup.h"
#include "framework/Application.h"
#include "framework/Plugins.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    fw::RuntimeInit(argc, argv);
    // The framework's plug-ins, as the start-up loads them: the main window's
    // picture buttons are the BevelButton plug-in's. A death test's child is a
    // fresh process that watches the start-up's own order, where the classes
    // are registered before any plug-in loads.
    if (GTEST_FLAG_GET(internal_run_death_test).empty()) {
        fw::RuntimeInitExternalClasses();
        LoadFrameworkPlugins();
    }
    ::testing::UnitTest::GetInstance()->listeners().Append(new left_as_found::Listener());
    return RUN_ALL_TESTS();
}
