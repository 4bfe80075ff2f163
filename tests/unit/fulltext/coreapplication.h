#pragma once

#include <QCoreApplication>

namespace testing_support {

// The index service answers through the event loop: the tests that use it make the
// application object once, for the whole test program.
inline void ensureCoreApplication() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "core_tests";
        static char *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
}

} // namespace testing_support
