// Test programs run inside a Qt application object, as the player's code does.
#include <gtest/gtest.h>

#ifdef VESK_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    // Widget tests never need a screen; test discovery runs the program without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // File names and texts are UTF-8 whatever locale ctest was started in.
    qputenv("LC_ALL", "C.UTF-8");
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
