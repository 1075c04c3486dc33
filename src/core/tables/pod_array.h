#pragma once

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

// A growable array of plain values that grows with realloc: a large block is moved by the
// system's page remapping instead of being copied, so growing a column of millions of rows
// needs neither a second copy of it nor twice its size in reserve.
template <typename T> class PodArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodArray() = default;
    ~PodArray() { std::free(m_data); }
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
        std::free(m_data);
        m_data = nullptr;
        m_size = m_capacity = 0;
    }
    void swap(PodArray &other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
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
        T *data = static_cast<T *>(std::realloc(m_data, capacity * sizeof(T)));
        if (!data)
            throw std::bad_alloc();
        m_data = data;
        m_capacity = capacity;
    }

    T *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
