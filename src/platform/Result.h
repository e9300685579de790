// How this program fails. What can fail in normal use (a file, a process, a setting)
// returns a Result that carries its reason and must be looked at; what only a bug can
// cause is asserted. The classic numbered run-time errors a window handler shows and
// steps over travel as AppError to that handler's trap, and nowhere else.
#pragma once

#include <QtGlobal>

#include <cerrno>
#include <utility>
#include <variant>

// A failed system call: its error number, read before anything else could change it.
struct SysError
{
    int number = 0;
    friend bool operator==(const SysError &, const SysError &) = default;
};

template <typename E> struct Failed
{
    E error;
};
template <typename E> Failed(E) -> Failed<E>;

template <typename T, typename E = SysError> class [[nodiscard]] Result
{
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failed<E> failed) : m_state(std::in_place_index<1>, std::move(failed.error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T &value() const &
    {
        Q_ASSERT(ok());
        return std::get<0>(m_state);
    }
    T &&value() &&
    {
        Q_ASSERT(ok());
        return std::get<0>(std::move(m_state));
    }
    const T &operator*() const & { return value(); }
    const T *operator->() const { return &value(); }
    T valueOr(T fallback) const & { return ok() ? value() : std::move(fallback); }
    const E &error() const
    {
        Q_ASSERT(!ok());
        return std::get<1>(m_state);
    }

private:
    std::variant<T, E> m_state;
};

template <typename E> class [[nodiscard]] Result<void, E>
{
public:
    Result() = default;
    Result(Failed<E> failed) : m_error(std::move(failed.error)), m_ok(false) {}

    bool ok() const { return m_ok; }
    explicit operator bool() const { return ok(); }
    const E &error() const
    {
        Q_ASSERT(!ok());
        return m_error;
    }

private:
    E m_error{};
    bool m_ok = true;
};

// Success of a call that answers nothing.
using Status = Result<void>;

// The last system call's failure.
inline Failed<SysError> lastSysError()
{
    return Failed{SysError{errno}};
}
