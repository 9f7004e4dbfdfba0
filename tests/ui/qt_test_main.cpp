// Runs GoogleTest inside a QApplication on the offscreen platform, so widget tests need no
// display and draw with the same default font everywhere.
#include <QApplication>

#include <gtest/gtest.h>

// ThreadSanitizer: Qt's own worker threads (the raster engine fills large areas in parallel)
// hand work over through locks inside uninstrumented Qt, which the sanitizer cannot see. Only
// Qt starts threads in the widget tests, so checking just the instrumented code loses nothing.
extern "C" const char*
__tsan_default_options() {  // NOLINT(bugprone-reserved-identifier,readability-identifier-naming)
    return "ignore_noninstrumented_modules=1";
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    const QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
