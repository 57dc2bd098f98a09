// The factory registry behind the exports, with objects that count their
// lives. The product's registrations are exercised through the built
// library's exports (exports_test.cpp).
#include <gtest/gtest.h>

#include "hux/public/plugin/huxlibrary.h"

// Registry keys are qualified names, so the test types live at global scope.
struct ITestObject {
    virtual int kind() const = 0;

protected:
    ~ITestObject() = default;
};

struct LifeCounter {
    LifeCounter() { ++created; }
    ~LifeCounter() { ++destroyed; }
    static inline int created = 0;
    static inline int destroyed = 0;
};

// The default constructor is not user-provided, as in the product classes.
struct TestObject final : ITestObject {
    int untouched; // no initialiser: value-initialisation zeroes it
    LifeCounter life;
    int kind() const override { return 1; }
};

struct OtherTestObject final : ITestObject {
    int kind() const override { return 2; }
};

namespace {

TEST(HuxLibraryCreator, EachAcquireCreatesAndOnlyItsReleaseDestroys)
{
    LifeCounter::created = LifeCounter::destroyed = 0;
    HuxLibraryCreator creator;
    creator.RegisterHuxObject<ITestObject, TestObject>();
    creator.RegisterHuxObject<ITestObject, OtherTestObject>(); // the first one stays

    // The key is the interface's name, compared exactly; the context is ignored.
    for (const char* name :
         {"itestobject", "ITestObject ", " ITestObject", "ITestObjec", "TestObject", ""})
        EXPECT_EQ(creator.Acquire(name, nullptr), nullptr) << '"' << name << '"';
    EXPECT_EQ(LifeCounter::created, 0);
    void* first = creator.Acquire("ITestObject", reinterpret_cast<void*>(0x1234));
    void* second = creator.Acquire("ITestObject", nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(LifeCounter::created, 2);
    EXPECT_EQ(static_cast<ITestObject*>(first)->kind(), 1);
    // Value-initialised: zero-filled before construction.
    EXPECT_EQ(static_cast<TestObject*>(static_cast<ITestObject*>(first))->untouched, 0);

    creator.Release(first);
    EXPECT_EQ(LifeCounter::destroyed, 1);
    creator.Release(first); // already released
    int foreign = 0;
    creator.Release(&foreign);
    creator.Release(nullptr);
    EXPECT_EQ(LifeCounter::destroyed, 1);

    EXPECT_EQ(static_cast<ITestObject*>(second)->kind(), 1); // still usable
    creator.Release(second);
    EXPECT_EQ(LifeCounter::destroyed, 2);
}

} // namespace
