#pragma once

// The one QApplication of a widget test program, made on first use on the test's main thread
// (GoogleTest runs every test there) and closed after the last test.

#include <gtest/gtest.h>

#include <QApplication>

namespace miyoutong::testing_support {

inline QApplication& TestApplication() {
    static QApplication* app = [] {
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
            return existing;
        }
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "miyoutong-test";
        static char* argv[] = {name, nullptr};
        auto* made = new QApplication(argc, argv);

        // Closed once every test has run, so that nothing of Qt outlives it.
        class Closer : public ::testing::Environment {
        public:
            explicit Closer(QApplication* app) : app_(app) {}
            void TearDown() override { delete app_; }

        private:
            QApplication* app_;
        };
        ::testing::AddGlobalTestEnvironment(new Closer(made));
        return made;
    }();
    return *app;
}

}  // namespace miyoutong::testing_support
