#include "platform/unique_resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// A kind of resource whose values are numbers, -1 owning nothing; every value given back is
// recorded, so that a case sees what was closed, in which order, and how often.
std::vector<int> closed;

struct CountedTraits {
    using Type = int;
    static Type Invalid() { return -1; }
    static void Close(Type value) { closed.push_back(value); }
};

using Owner = UniqueResource<CountedTraits>;

struct OwnerCase {
    const char* name;
    std::function<void()> run;
    // What was closed once the case and every owner in it ended.
    std::vector<int> closed;
};

const OwnerCase kOwnerCases[] = {
    {"DestructionClosesTheValue", [] { Owner owner(1); }, {1}},
    {"DestructionOfEmptyClosesNothing", [] { Owner owner; }, {}},
    {"InvalidValueIsNeverClosed", [] { Owner owner(-1); }, {}},
    {"ResetClosesTheOldValueAtOnce",
     [] {
         Owner owner(1);
         owner.Reset(2);
         EXPECT_EQ(closed, std::vector<int>{1});
     },
     {1, 2}},
    {"PutClosesTheOldValueBeforeHandingOutTheAddress",
     [] {
         Owner owner(1);
         int* address = owner.Put();
         EXPECT_EQ(closed, std::vector<int>{1});
         EXPECT_FALSE(owner);
         *address = 2;
         EXPECT_EQ(owner.Get(), 2);
     },
     {1, 2}},
    {"ReleaseHandsTheValueOverUnclosed",
     [] {
         Owner owner(1);
         EXPECT_EQ(owner.Release(), 1);
         EXPECT_FALSE(owner);
     },
     {}},
    {"MoveConstructionTransfersWithoutClosing",
     [] {
         Owner from(1);
         Owner to(std::move(from));
         EXPECT_TRUE(closed.empty());
         EXPECT_EQ(to.Get(), 1);
     },
     {1}},
    {"MoveAssignmentClosesTheTargetsValue",
     [] {
         Owner from(1);
         Owner to(2);
         to = std::move(from);
         EXPECT_EQ(closed, std::vector<int>{2});
         EXPECT_EQ(to.Get(), 1);
     },
     {2, 1}},
    {"SelfMoveKeepsTheValue",
     [] {
         Owner owner(1);
         Owner& alias = owner;
         owner = std::move(alias);
         EXPECT_EQ(owner.Get(), 1);
     },
     {1}},
};

class UniqueResourceTest : public testing::TestWithParam<OwnerCase> {};

TEST_P(UniqueResourceTest, ClosesEachValueOnce) {
    closed.clear();
    GetParam().run();
    EXPECT_EQ(closed, GetParam().closed);
}

INSTANTIATE_TEST_SUITE_P(Rules, UniqueResourceTest, testing::ValuesIn(kOwnerCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
