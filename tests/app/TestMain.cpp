// The window tests need a widget application; without a display they run on the offscreen
// platform (also when the build lists the tests, where no test environment applies).
#include <QApplication>
#include <gtest/gtest.h>

#include "view/HeadlessQt.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    folivo::PrepareHeadlessQtEnvironment();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Folivo");
    return RUN_ALL_TESTS();
}
