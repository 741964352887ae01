// Main of the in-process GUI tests: one QApplication set up as the program sets it up.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/application.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    qinghe::configure_application(app);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
