// The Qt tests need an application object; without a display they run on the offscreen
// platform (also when the build lists the tests, where no test environment applies).
#include <QGuiApplication>
#include <gtest/gtest.h>

#include "view/HeadlessQt.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    folivo::PrepareHeadlessQtEnvironment();
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
