#pragma once

// One test executable per library holds several Qt Test classes; each class registers
// itself with ZELAN_TEST_CLASS and the shared main runs them in turn.

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

namespace zelan::testing {

using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<TestFactory>& testRegistry();

template <class T>
struct RegisterTest {
    RegisterTest() { testRegistry().push_back([] { return std::make_unique<T>(); }); }
};

} // namespace zelan::testing

#define ZELAN_TEST_CLASS(T) static const zelan::testing::RegisterTest<T> zelanRegisterTest_##T;
