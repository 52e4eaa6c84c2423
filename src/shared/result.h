#pragma once

// What each step of a conversion comes to, in the worker and in the checks it shares with the
// app: the step's value, or the status and reason the app is told; and, either way, whether a
// fresh worker must take the next file.

#include "shared/protocol/wireformat.h"

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

struct Failure {
    wire::Status status = wire::Status::Unreadable;
    std::string detail;
};

// The value of a step that yields nothing but its success.
struct Done {
};

template <typename T = Done> class [[nodiscard]] Result
{
public:
    using Value = T;

    Result(T value) : m_outcome(std::move(value)) {}
    Result(Failure failure) : m_outcome(std::move(failure)) {}

    explicit operator bool() const { return m_outcome.index() == 0; }
    const T &operator*() const { return std::get<0>(m_outcome); }
    const T *operator->() const { return &std::get<0>(m_outcome); }
    const Failure &Why() const { return std::get<1>(m_outcome); }

    // A decoder failed on the way, whatever came of it: its heap may be damaged, and no other
    // file should meet what it left behind.
    bool NeedsFreshWorker() const { return m_freshWorker; }
    Result &&WithFreshWorker(bool needed = true) &&
    {
        m_freshWorker = m_freshWorker || needed;
        return std::move(*this);
    }

    // After a success, the next step, given this value where it takes one. The result is the
    // next step's, or where that yields nothing but its success, this value; a failure goes on
    // as it is, and a fresh worker that either needs, both need.
    template <typename Step> auto Then(Step &&step) const & { return Chain(Result(*this), step); }
    template <typename Step> auto Then(Step &&step) && { return Chain(std::move(*this), step); }

private:
    template <typename U> friend class Result;

    template <typename Step> static auto Call(Step &step, const T &value)
    {
        if constexpr (std::is_invocable_v<Step &, const T &>)
            return step(value);
        else
            return step();
    }

    template <typename Step> static auto Chain(Result self, Step &step)
    {
        using Next = decltype(Call(step, std::declval<const T &>()));
        using Out = std::conditional_t<std::is_same_v<typename Next::Value, Done>, Result, Next>;
        if (!self)
            return Out(self.Why()).WithFreshWorker(self.m_freshWorker);
        Next next = Call(step, *self);
        const bool fresh = self.m_freshWorker || next.m_freshWorker;
        if constexpr (std::is_same_v<Out, Next>)
            return std::move(next).WithFreshWorker(fresh);
        else if (!next)
            return Out(next.Why()).WithFreshWorker(fresh);
        else
            return std::move(self).WithFreshWorker(fresh);
    }

    std::variant<T, Failure> m_outcome;
    bool m_freshWorker = false;
};
