#include "testmain.h"

#include <QTest>

#if defined(ZELAN_TEST_APP_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#elif defined(ZELAN_TEST_APP_GUI)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

namespace zelan::testing {
std::vector<TestFactory>& testRegistry() {
    static std::vector<TestFactory> registry;
    return registry;
}
} // namespace zelan::testing

int main(int argc, char** argv) {
    TestApplication app(argc, argv);
    int failures = 0;
    for (const auto& make : zelan::testing::testRegistry()) {
        std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
