#include "core/DynaArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace folivo {
namespace {

struct Item {
    int32_t value;
    char tag[12];
};

constexpr int64_t StepBytes = TDynaArray<Item>::GrowthStep * sizeof(Item);

bool IsZero(const Item& item)
{
    static const Item zero{};
    return std::memcmp(&item, &zero, sizeof(Item)) == 0;
}

void Fill(Item* item, int32_t value)
{
    if (!item) {
        ADD_FAILURE() << "no record to fill";
        return;
    }
    std::memset(static_cast<void*>(item), 0x5A, sizeof(Item));
    item->value = value;
}

// The values of all records, in order, e.g. "1,2,3".
std::string Values(const TDynaArray<Item>& array)
{
    std::string text;
    for (uint32_t i = 0; i < array.Count(); ++i) {
        if (i) text += ',';
        text += std::to_string(array.At(i)->value);
    }
    return text;
}

class DynaArrayTest : public ::testing::Test {
protected:
    // Three records with values 1, 2, 3.
    void AppendThree()
    {
        for (int32_t v = 1; v <= 3; ++v) Fill(array.Append(), v);
    }

    Item* cursor = nullptr;
    TDynaArray<Item> array{&cursor};
};

TEST(DynaArrayNoCursor, EveryOperationWorksWithoutACursorSlot)
{
    TDynaArray<Item> array;
    Fill(array.Append(), 1);
    Fill(array.InsertAt(0), 0);
    Fill(array.InsertAt(2), 2);
    EXPECT_EQ(Values(array), "0,1,2");
    EXPECT_EQ(array.Current(), array.At(2));

    array.First();
    EXPECT_TRUE(array.Next());
    EXPECT_EQ(array.Current()->value, 1);
    array.First();
    EXPECT_TRUE(array.FetchNext());
    EXPECT_EQ(array.Select(2)->value, 2);
    array.Swap(0, 2);
    array.DeleteAt(1);
    EXPECT_EQ(Values(array), "2,0");
    EXPECT_EQ(array.Current(), nullptr);
    array.DeleteWhere([](const Item& item) { return item.value == 0; });
    array.Clear();
    EXPECT_EQ(array.Count(), 0u);
    EXPECT_EQ(array.Current(), nullptr);
}

TEST_F(DynaArrayTest, CreatedEmptyWithoutTouchingTheCursor)
{
    Item sentinel{};
    cursor = &sentinel;
    TDynaArray<Item> fresh{&cursor};
    EXPECT_EQ(fresh.Count(), 0u);
    EXPECT_EQ(fresh.Capacity(), 0);
    EXPECT_EQ(fresh.CurrentIndex(), -1);
    EXPECT_EQ(fresh.Current(), nullptr);
    EXPECT_EQ(cursor, &sentinel);
}

TEST_F(DynaArrayTest, CapacityMovesInWholeGrowthSteps)
{
    for (int n = 1; n <= 201; ++n) {
        array.Append();
        const int64_t expected = n <= 100 ? StepBytes : n <= 200 ? 2 * StepBytes : 3 * StepBytes;
        ASSERT_EQ(array.Capacity(), expected) << "after append " << n;
    }
    // Shrinks again as steps are freed, and releases storage at zero.
    array.DeleteAt(0);
    EXPECT_EQ(array.Capacity(), 2 * StepBytes);
    while (array.Count() > 101) array.DeleteAt(static_cast<int32_t>(array.Count()) - 1);
    EXPECT_EQ(array.Capacity(), 2 * StepBytes);
    array.DeleteAt(50);
    EXPECT_EQ(array.Capacity(), StepBytes);
    while (array.Count() > 0) array.DeleteAt(0);
    EXPECT_EQ(array.Capacity(), 0);
}

TEST_F(DynaArrayTest, NewRecordsAreZeroFilled)
{
    // A slot freed without shrinking still holds old bytes; Append and InsertAt must clear them.
    AppendThree();
    array.DeleteAt(2);
    const Item* appended = array.Append();
    EXPECT_TRUE(IsZero(*appended));
    EXPECT_EQ(cursor, appended);

    Fill(array.At(2), 3);
    array.DeleteAt(0);
    const Item* inserted = array.InsertAt(1);
    EXPECT_TRUE(IsZero(*inserted));
    EXPECT_EQ(Values(array), "2,0,3");

    // Deleting down to zero releases storage; the next Append starts afresh.
    while (array.Count() > 0) array.DeleteAt(0);
    EXPECT_EQ(array.Capacity(), 0);
    const Item* fresh = array.Append();
    EXPECT_TRUE(IsZero(*fresh));
    EXPECT_EQ(array.Count(), 1u);
    EXPECT_EQ(array.CurrentIndex(), 0);
    EXPECT_EQ(array.Capacity(), StepBytes);
}

TEST_F(DynaArrayTest, InsertAtAcceptsZeroThroughCount)
{
    AppendThree();
    Item* atEnd = array.InsertAt(3);  // like Append
    ASSERT_NE(atEnd, nullptr);
    EXPECT_EQ(array.Count(), 4u);
    EXPECT_EQ(array.CurrentIndex(), 3);
    EXPECT_EQ(cursor, atEnd);
    EXPECT_EQ(atEnd, array.At(3));
    atEnd->value = 4;

    Fill(array.InsertAt(0), 0);
    EXPECT_EQ(Values(array), "0,1,2,3,4");
    Fill(array.InsertAt(2), 9);
    EXPECT_EQ(Values(array), "0,1,9,2,3,4");
    EXPECT_EQ(array.CurrentIndex(), 2);
    EXPECT_EQ(cursor->value, 9);

    Item* const before = cursor;
    EXPECT_EQ(array.InsertAt(7), nullptr);  // count + 1
    EXPECT_EQ(array.InsertAt(-1), nullptr);
    EXPECT_EQ(Values(array), "0,1,9,2,3,4");
    EXPECT_EQ(array.CurrentIndex(), 2);
    EXPECT_EQ(cursor, before);
}

TEST_F(DynaArrayTest, InsertAtGrowsAcrossAStepBoundary)
{
    for (int32_t v = 0; v < 100; ++v) Fill(array.Append(), v);
    Fill(array.InsertAt(50), -1);
    EXPECT_EQ(array.Capacity(), 2 * StepBytes);
    EXPECT_EQ(array.At(49)->value, 49);
    EXPECT_EQ(array.At(50)->value, -1);
    EXPECT_EQ(array.At(51)->value, 50);
    EXPECT_EQ(array.At(100)->value, 99);
}

TEST_F(DynaArrayTest, DeleteAtClosesTheGapAndDropsTheCurrentRecord)
{
    const struct {
        int32_t index;
        const char* left;
    } cases[] = {{0, "2,3"}, {1, "1,3"}, {2, "1,2"}};
    for (const auto& c : cases) {
        array.Clear();
        AppendThree();
        array.DeleteAt(c.index);
        EXPECT_EQ(Values(array), c.left) << "deleting " << c.index;
        EXPECT_EQ(array.CurrentIndex(), -1);
        EXPECT_EQ(array.Current(), nullptr);
        EXPECT_EQ(cursor, nullptr);
    }

    // Out-of-range indices change nothing, not even the cursor.
    array.Select(0);
    array.DeleteAt(-1);
    array.DeleteAt(2);
    EXPECT_EQ(Values(array), "1,2");
    EXPECT_EQ(array.CurrentIndex(), 0);
    EXPECT_EQ(cursor, array.At(0));
}

TEST_F(DynaArrayTest, ClearReleasesEverythingAndNullsTheCursor)
{
    AppendThree();
    array.Clear();
    EXPECT_EQ(array.Count(), 0u);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.CurrentIndex(), -1);
    EXPECT_EQ(cursor, nullptr);
    array.Clear();  // clearing an empty array is harmless
    EXPECT_EQ(array.Count(), 0u);
}

TEST_F(DynaArrayTest, SelectPositionsAndWritesTheCursor)
{
    AppendThree();
    Item* selected = array.Select(1);
    EXPECT_EQ(selected, array.At(1));
    EXPECT_EQ(cursor, selected);
    EXPECT_EQ(array.CurrentIndex(), 1);
    EXPECT_EQ(cursor->value, 2);
}

TEST_F(DynaArrayTest, FirstFetchNextWalkReadsOneBasedIndices)
{
    AppendThree();
    array.First();
    int passes = 0;
    while (array.FetchNext()) {
        ++passes;
        EXPECT_EQ(array.CurrentIndex(), passes);
        EXPECT_EQ(cursor->value, passes);  // record passes - 1 holds value passes
        EXPECT_EQ(cursor, array.At(static_cast<uint32_t>(passes - 1)));
    }
    EXPECT_EQ(passes, 3);
    EXPECT_FALSE(array.FetchNext());
    EXPECT_EQ(array.CurrentIndex(), 3);

    // An assigned index resumes the walk there; a negative one yields nothing.
    array.SetCurrentIndex(2);
    EXPECT_TRUE(array.FetchNext());
    EXPECT_EQ(cursor->value, 3);
    array.SetCurrentIndex(-1);
    EXPECT_FALSE(array.FetchNext());
}

TEST_F(DynaArrayTest, FirstOnAnEmptyArrayYieldsNoIteration)
{
    array.SetCurrentIndex(0);
    array.First();
    EXPECT_EQ(array.CurrentIndex(), 0);
    EXPECT_EQ(cursor, nullptr);
    EXPECT_FALSE(array.FetchNext());
    EXPECT_FALSE(array.Next());

    array.SetCurrentIndex(5);
    array.First();
    EXPECT_EQ(array.CurrentIndex(), 5);
    EXPECT_FALSE(array.FetchNext());
}

TEST_F(DynaArrayTest, NextStepsFromBeforeTheFirstToTheLast)
{
    AppendThree();
    array.Clear();
    EXPECT_FALSE(array.Next());  // empty, index -1

    AppendThree();
    array.SetCurrentIndex(-1);
    ASSERT_TRUE(array.Next());
    EXPECT_EQ(array.CurrentIndex(), 0);
    EXPECT_EQ(cursor, array.At(0));
    EXPECT_TRUE(array.Next());
    EXPECT_TRUE(array.Next());
    EXPECT_EQ(cursor->value, 3);
    EXPECT_FALSE(array.Next());  // already on the last record
    EXPECT_EQ(array.CurrentIndex(), 2);

    array.SetCurrentIndex(-2);
    EXPECT_FALSE(array.Next());
    array.SetCurrentIndex(7);
    EXPECT_FALSE(array.Next());
    EXPECT_EQ(cursor->value, 3);
}

TEST_F(DynaArrayTest, SwapExchangesBytesButNotThePosition)
{
    AppendThree();
    array.Select(0);
    array.Swap(0, 0);
    EXPECT_EQ(Values(array), "1,2,3");

    array.Swap(0, 2);
    EXPECT_EQ(Values(array), "3,2,1");
    EXPECT_EQ(array.CurrentIndex(), 0);
    EXPECT_EQ(cursor, array.At(0));
    EXPECT_EQ(cursor->value, 3);  // same slot, the other record's contents

    array.Swap(0, 3);
    array.Swap(-1, 1);
    array.Swap(3, 3);
    EXPECT_EQ(Values(array), "3,2,1");
}

TEST_F(DynaArrayTest, DeleteWhereKeepsTheOrderOfTheRest)
{
    for (int32_t v = 0; v < 150; ++v) Fill(array.Append(), v);
    const Item* const current = cursor;

    // Nothing matches: the position is kept.
    array.DeleteWhere([](const Item& item) { return item.value < 0; });
    EXPECT_EQ(array.Count(), 150u);
    EXPECT_EQ(cursor, current);

    array.DeleteWhere([](const Item& item) { return item.value % 3 != 0; });
    ASSERT_EQ(array.Count(), 50u);
    for (uint32_t i = 0; i < 50; ++i) ASSERT_EQ(array.At(i)->value, static_cast<int32_t>(3 * i));
    EXPECT_EQ(array.Capacity(), StepBytes);
    EXPECT_EQ(array.CurrentIndex(), -1);
    EXPECT_EQ(cursor, nullptr);

    array.DeleteWhere([](const Item&) { return true; });
    EXPECT_EQ(array.Count(), 0u);
    EXPECT_EQ(array.Capacity(), 0);
}

}  // namespace
}  // namespace folivo

namespace folivo {
namespace {

// Lists past the size where storage becomes mapped pages keep their records while growing,
// shrinking and crossing back.
TEST(DynaArrayLargeStorage, RecordsSurviveGrowingAndShrinking)
{
    struct Big {
        int64_t value;
        char padding[120];
    };
    Big* cursor = nullptr;
    TDynaArray<Big> array(&cursor);
    const int64_t count = 3 * MappedStorageBytes / sizeof(Big);
    for (int64_t i = 0; i < count; ++i) array.Append()->value = i;
    EXPECT_EQ(array.Capacity(), static_cast<int64_t>((count + 99) / 100 * 100 * sizeof(Big)));
    bool intact = true;
    for (int64_t i = 0; i < count; ++i) intact = intact && array.At(static_cast<uint32_t>(i))->value == i;
    EXPECT_TRUE(intact);
    array.DeleteWhere([](const Big& big) { return big.value >= 100; });
    ASSERT_EQ(array.Count(), 100u);
    EXPECT_EQ(array.At(99)->value, 99);
    EXPECT_EQ(array.Capacity(), static_cast<int64_t>(100 * sizeof(Big)));
    EXPECT_EQ(array.Append()->value, 0);  // zero-filled again
}

}  // namespace
}  // namespace folivo
