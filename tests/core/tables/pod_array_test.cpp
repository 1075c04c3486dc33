#include "tables/pod_array.h"

#include <QtGlobal>

#include <gtest/gtest.h>
#include <limits>
#include <new>

namespace {

TEST(PodArray, GrowsKeepingWhatItHolds)
{
    // appends of every size, across many reallocations: every value stays where it was put
    PodArray<qint64> a;
    qint64 next = 0;
    for (int round = 0; round < 200; ++round) {
        qint64 chunk[37];
        const size_t count = size_t(round % 37);
        for (size_t i = 0; i < count; ++i)
            chunk[i] = next++;
        a.append(chunk, count);
    }
    ASSERT_EQ(a.size(), size_t(next));
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i], qint64(i));

    a.resize(a.size() + 5, -1);
    EXPECT_EQ(a[a.size() - 1], -1);
    EXPECT_EQ(a[a.size() - 6], next - 1);
    a.resize(3, 7); // shrinking keeps the first values, no fill
    EXPECT_EQ(a.size(), 3u);
    EXPECT_EQ(a[2], 2);
    a.reserve(1000);
    EXPECT_EQ(a.size(), 3u) << "a reservation holds no values";
}

TEST(PodArray, MovesAndClears)
{
    PodArray<int> a;
    const int values[] = {1, 2, 3};
    a.append(values, 3);
    PodArray<int> b(std::move(a));
    EXPECT_TRUE(a.empty()); // NOLINT(bugprone-use-after-move): a moved-from array is empty
    EXPECT_EQ(b.size(), 3u);
    PodArray<int> c;
    c.append(values, 1);
    c = std::move(b);
    EXPECT_EQ(c.size(), 3u);
    EXPECT_EQ(c[2], 3);
    c.clear();
    EXPECT_TRUE(c.empty());
    EXPECT_EQ(c.data(), nullptr);
    c.append(values, 2); // usable again after a clear
    EXPECT_EQ(c[1], 2);
}

TEST(PodArray, ASizePastTheAddressSpaceIsRefusedNotWrapped)
{
    PodArray<qint64> a;
    const qint64 one = 1;
    a.append(&one, 1);
    // a count that would wrap the size (or the size in bytes) round to something small
    EXPECT_THROW(a.append(&one, std::numeric_limits<size_t>::max()), std::bad_alloc);
    EXPECT_THROW(a.resize(std::numeric_limits<size_t>::max() / 4, 0), std::bad_alloc);
    EXPECT_EQ(a.size(), 1u) << "a refused growth changes nothing";
    EXPECT_EQ(a[0], 1);
}

} // namespace
