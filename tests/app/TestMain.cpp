// The window tests need a widget application; without a display they run on the offscreen
// platform (also when the build lists the tests, where no test environment applies).
#include <QApplication>
#include <gtest/gtest.h>

#include "view/HeadlessQt.h"

// fontconfig loses 288 bytes once per process on FcInit alone (2.14), under the sanitizer
// build's leak check; the substitutes of the page drawn as printed start it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    folivo::PrepareHeadlessQtEnvironment();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Folivo");
    return RUN_ALL_TESTS();
}
