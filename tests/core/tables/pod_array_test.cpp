#include "tables/pod_array.h"

#include <QtGlobal>

#include <algorithm>
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

TEST(PodArray, ALargeArrayGrowsInItsOwnPagesAndKeepsEveryValue)
{
    // across the size from which a block lives in pages of its own: from malloc to pages, then
    // remapped again and again; moved, swapped and cleared like any other
    PodArray<qint32> a;
    const size_t total = 3 * PodPages::kMapFrom / sizeof(qint32) + 12345;
    qint32 chunk[1000];
    for (size_t at = 0; at < total;) {
        const size_t count = std::min<size_t>(1000, total - at);
        for (size_t i = 0; i < count; ++i)
            chunk[i] = qint32(at + i);
        a.append(chunk, count);
        at += count;
    }
    ASSERT_EQ(a.size(), total);
    for (size_t i = 0; i < total; ++i)
        ASSERT_EQ(a[i], qint32(i)) << i;

    PodArray<qint32> small;
    small.append(chunk, 10);
    small.swap(a); // the pages go with their values
    EXPECT_EQ(small.size(), total);
    EXPECT_EQ(small[total - 1], qint32(total - 1));
    EXPECT_EQ(a.size(), 10u);
    PodArray<qint32> moved(std::move(small));
    EXPECT_EQ(moved[total / 2], qint32(total / 2));
    moved.resize(5, 0);
    moved.resize(total, -1); // grown again over its own pages
    EXPECT_EQ(moved[4], 4);
    EXPECT_EQ(moved[5], -1);
    moved.clear();
    EXPECT_TRUE(moved.empty());
    moved.append(chunk, 3);
    EXPECT_EQ(moved[2], chunk[2]);
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
