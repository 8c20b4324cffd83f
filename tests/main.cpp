// The test runner: a Qt application on the offscreen platform, so every
// window and control is real and no display is needed.
#include <QApplication>
#include <gtest/gtest.h>

#include "framework/Application.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    fw::RuntimeInit(argc, argv);
    return RUN_ALL_TESTS();
}
