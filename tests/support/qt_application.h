#pragma once

// The one QApplication of a widget test program, made on first use on the test's main thread
// (GoogleTest runs every test there). It stays for the life of the process.

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
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace miyoutong::testing_support
