#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/support/Published.h"
#include "core/support/ReferenceDate.h"
#include "core/support/Uuid.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;

TEST(Published, DeliversCurrentValueThenEveryAssignment) {
    Published<int> value(1);
    std::vector<int> seen;
    auto subscription = value.subscribe([&](const int& v) { seen.push_back(v); });
    value = 2;
    value = 2;
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 2}));
    subscription.cancel();
    value = 3;
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(value.get(), 3);
}

TEST(Published, ObserverMayCancelItselfOrOthersDuringDelivery) {
    Published<int> value(0);
    Subscription first;
    Subscription second;
    int secondCalls = 0;
    first = value.subscribe([&](const int& v) {
        if (v == 1) {
            first.cancel();
            second.cancel();
        }
    });
    second = value.subscribe([&](const int&) { ++secondCalls; });
    value = 1;
    value = 2;
    EXPECT_EQ(secondCalls, 1);  // the initial delivery only
}

TEST(Published, SubscriptionMayOutliveTheValue) {
    Subscription subscription;
    {
        Published<std::string> value("x");
        subscription = value.subscribe([](const std::string&) {});
    }
    subscription.cancel();
}

TEST(ReferenceDate, ConvertsSecondsSince2001) {
    const TimePoint reference{std::chrono::seconds{978'307'200}};
    EXPECT_DOUBLE_EQ(ReferenceDate::secondsSinceReferenceDate(reference), 0.0);
    EXPECT_DOUBLE_EQ(ReferenceDate::secondsSinceReferenceDate(reference + 1500ms), 1.5);
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReferenceDate(-1.0), reference - 1s);
    // Times beyond what a time point holds saturate instead of wrapping around.
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReferenceDate(1e300), TimePoint::max());
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReferenceDate(infinity), TimePoint::max());
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReferenceDate(-1e300), TimePoint::min());
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReferenceDate(-infinity), TimePoint::min());
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReferenceDate(9e9), TimePoint::max());
    EXPECT_LT(ReferenceDate::fromSecondsSinceReferenceDate(8e9), TimePoint::max());
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReferenceDate(std::nan("")), TimePoint{});
}

TEST(Uuid, WritesUpperCaseAndParsesEitherCase) {
    const Uuid id = Uuid::random();
    const std::string text = id.uppercaseString();
    EXPECT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
    EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos);
    EXPECT_EQ(Uuid::parse(text), id);
    const auto lower = Uuid::parse("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->uppercaseString(), "6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B");
    EXPECT_FALSE(Uuid::parse("not-a-uuid"));
    EXPECT_FALSE(Uuid::parse("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4bX"));
    EXPECT_NE(Uuid::random(), id);
}

}  // namespace
}  // namespace plovik
