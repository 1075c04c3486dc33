#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

// Where a large block of a PodArray lives: pages of its own, which grow by remapping. The C
// library's realloc does that only for blocks it chose to map itself, and it stops choosing so
// for blocks under 32 MiB once a few large ones were freed (its threshold follows the frees):
// a column of a million rows then grew by copying, and its old copies fragmented the heap.
namespace PodPages {
// From this size a block is mapped; a smaller one stays with malloc.
inline constexpr size_t kMapFrom = size_t(1) << 20;
inline size_t pageSize()
{
    static const size_t page = size_t(sysconf(_SC_PAGESIZE));
    return page;
}
inline size_t rounded(size_t bytes)
{
    return (bytes + pageSize() - 1) / pageSize() * pageSize();
}
// Asks for large pages over the whole pages inside a block another allocator made (a hint;
// refused, nothing changes): a buffer of hundreds of megabytes is then touched in a few hundred
// page faults instead of a hundred thousand.
inline void adviseLarge(void *data, size_t bytes)
{
    const uintptr_t page = pageSize();
    const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + page - 1) / page * page;
    const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + bytes) / page * page;
    if (bytes >= kMapFrom && to > from)
        madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
}
// A block of `bytes` (rounded to pages) holding the `used` bytes of `old`, or nullptr.
// `oldBytes` is the mapped size of `old` when it is mapped, 0 when it came from malloc.
inline void *regrow(void *old, size_t used, size_t oldBytes, size_t bytes)
{
    void *block = nullptr;
    if (oldBytes > 0) {
        block = mremap(old, oldBytes, bytes, MREMAP_MAYMOVE);
        if (block == MAP_FAILED)
            return nullptr;
    } else {
        block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            return nullptr;
    }
    adviseLarge(block, bytes);
    if (oldBytes > 0)
        return block;
    if (used > 0)
        std::memcpy(block, old, used);
    std::free(old);
    return block;
}
} // namespace PodPages

// A growable array of plain values. A large one lives in pages of its own and grows by the
// system's page remapping instead of being copied, so growing a column of millions of rows
// needs neither a second copy of it nor twice its size in reserve.
template <typename T> class PodArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodArray() = default;
    ~PodArray() { release(); }
    PodArray(const PodArray &) = delete;
    PodArray &operator=(const PodArray &) = delete;
    PodArray(PodArray &&other) noexcept { swap(other); }
    PodArray &operator=(PodArray &&other) noexcept
    {
        PodArray gone(std::move(*this));
        swap(other);
        return *this;
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }

    void reserve(size_t n)
    {
        if (n > m_capacity)
            reallocate(n);
    }
    void resize(size_t n, T fill)
    {
        if (n > m_capacity)
            grow(n);
        for (size_t i = m_size; i < n; ++i)
            m_data[i] = fill;
        m_size = n;
    }
    void append(const T *first, size_t count)
    {
        if (count > kMaxSize - m_size)
            throw std::bad_alloc(); // past what the address space can hold: never a wrap
        if (m_size + count > m_capacity)
            grow(m_size + count);
        if (count > 0)
            std::memcpy(m_data + m_size, first, count * sizeof(T));
        m_size += count;
    }
    void clear()
    {
        release();
        m_data = nullptr;
        m_size = m_capacity = m_mappedBytes = 0;
    }
    void swap(PodArray &other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_mappedBytes, other.m_mappedBytes);
    }

private:
    static constexpr size_t kMaxSize = std::numeric_limits<size_t>::max() / sizeof(T);

    void grow(size_t needed)
    {
        if (needed > kMaxSize)
            throw std::bad_alloc();
        // half as much again, within what a size_t can count in bytes
        size_t capacity = m_capacity / 2 <= kMaxSize - m_capacity ? m_capacity + m_capacity / 2 : kMaxSize;
        if (capacity < needed)
            capacity = needed;
        if (capacity < 16)
            capacity = 16;
        reallocate(capacity);
    }
    void reallocate(size_t capacity)
    {
        if (capacity > kMaxSize)
            throw std::bad_alloc();
        const size_t bytes = capacity * sizeof(T);
        if (bytes >= PodPages::kMapFrom || m_mappedBytes > 0) {
            // pages of its own: the whole of the rounded size is room for values
            const size_t mapped = PodPages::rounded(bytes);
            void *data = PodPages::regrow(m_data, m_size * sizeof(T), m_mappedBytes, mapped);
            if (!data)
                throw std::bad_alloc();
            m_data = static_cast<T *>(data);
            m_mappedBytes = mapped;
            m_capacity = mapped / sizeof(T);
            return;
        }
        T *data = static_cast<T *>(std::realloc(m_data, bytes));
        if (!data)
            throw std::bad_alloc();
        m_data = data;
        m_capacity = capacity;
    }
    void release()
    {
        if (m_mappedBytes > 0)
            munmap(m_data, m_mappedBytes);
        else
            std::free(m_data);
    }

    T *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
    size_t m_mappedBytes = 0; // the size of its pages when it lives in pages of its own
};
