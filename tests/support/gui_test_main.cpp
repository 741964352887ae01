// Main of the in-process GUI tests: one QApplication set up as the program sets it up.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <memory>

#include "app/application.h"

int main(int argc, char* argv[]) {
    // Listing the cases (CTest's discovery) needs no display and no application.
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    std::unique_ptr<QApplication> app;
    if (!listing) {
        app = std::make_unique<QApplication>(argc, argv);
        qinghe::configure_application(*app);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
