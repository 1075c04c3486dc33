#pragma once

#include <QString>

#include <optional>
#include <type_traits>
#include <utility>

// What a core operation that can fail gives back: its value (none for Result<>), or the reason
// it failed in words the user reads ("plik.xml: brak miejsca na dysku"). The core never shows
// a reason itself; the command that called the operation tells it through its port, so a
// reason reaches the user once, in the same dialog or line whichever front end runs.
//
//     Result<QByteArray> bytes = readFileCapped(path, kMaxSmallFile);
//     if (!bytes)
//         return Failure(bytes.reason());
//     use(*bytes);
//
// A failed operation is never silent: the type is [[nodiscard]].

// The failure side, convertible to a Result of any type.
struct Failure
{
    explicit Failure(QString reason) : reason(std::move(reason)) {}
    QString reason;
};

template <typename T = void> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    // a value of a type T is made of (a QString or a QDate for a Result<QVariant>)
    template <typename U>
    requires(std::is_constructible_v<T, U &&> && !std::is_same_v<std::remove_cvref_t<U>, T> &&
             !std::is_same_v<std::remove_cvref_t<U>, Failure>) Result(U &&value)
        : m_value(std::in_place, std::forward<U>(value))
    {
    }
    Result(Failure failure) : m_reason(std::move(failure.reason))
    {
        if (m_reason.isEmpty())
            m_reason = QStringLiteral("nieznany błąd");
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    // The reason of a failure; empty on success.
    const QString &reason() const { return m_reason; }

    const T &operator*() const & { return *m_value; }
    T &operator*() & { return *m_value; }
    T &&operator*() && { return std::move(*m_value); }
    const T *operator->() const { return &*m_value; }
    T *operator->() { return &*m_value; }

private:
    std::optional<T> m_value;
    QString m_reason;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Failure failure) : m_failed(true), m_reason(std::move(failure.reason))
    {
        if (m_reason.isEmpty())
            m_reason = QStringLiteral("nieznany błąd");
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &reason() const { return m_reason; }

private:
    bool m_failed = false;
    QString m_reason;
};
