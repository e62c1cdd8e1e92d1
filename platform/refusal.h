#pragma once
// How a layer below the front ends says no: a code the front end can act on and the sentence
// the user reads. A function that can fail returns its value or a Refusal.
#include <string>
#include <utility>
#include <variant>

namespace pw::platform {

struct Refusal {
    enum class Code {
        NoPictures,  // nothing to convert
        Conflict,    // options that cannot work together
        Unavailable, // what an option needs is not installed
        Missing,     // a file is not there
        Unreadable,  // a file cannot be read
        Damaged,     // a file's content is not what its kind requires
        Unsupported, // a kind or feature this program does not handle
        TooLarge,    // beyond the limits
        NotWritten,  // an output could not be written
        Stopped,     // the user stopped the work
    };
    Code code;
    std::string text;
};

// A value, or the reason there is none.
template <typename T> class Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Refusal refusal) : state_(std::move(refusal)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<T>(state_); }
    const T& value() const { return std::get<T>(state_); }
    const Refusal& refusal() const { return std::get<Refusal>(state_); }

private:
    std::variant<T, Refusal> state_;
};

} // namespace pw::platform
