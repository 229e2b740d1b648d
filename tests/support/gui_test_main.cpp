// Test entry for tests that need a QApplication (widgets painted into QImages,
// dialogs driven with QTest, the OpenGL viewer under xvfb-run).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
