#include <gtest/gtest.h>

#include <QApplication>

// The control layer's objects need a Qt application; windows go to the
// offscreen platform, so the tests need no display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
