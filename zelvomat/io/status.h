// Status and Result: the library's error path.
//
// A routine that can fail returns a Status (ok, or an error carrying the
// message that the user will see) or a Result<T> (a value or such an error).
// Both are [[nodiscard]]: a failed read is a value the caller must look at.
// Nothing below the exported functions prints or ends the process; the export
// boundary (errchan.h) hands the message to the caller.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace zelvomat {

class [[nodiscard]] Status {
public:
    Status() = default;
    static Status error(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !message_.has_value(); }
    explicit operator bool() const { return ok(); }
    const std::string& message() const {
        static const std::string none;
        return message_ ? *message_ : none;
    }

private:
    explicit Status(std::string message) : message_(std::move(message)) {}
    std::optional<std::string> message_;
};

inline Status ok_status() { return Status(); }
inline Status error_status(std::string message) { return Status::error(std::move(message)); }

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}       // NOLINT: implicit on purpose
    Result(Status error) : v_(std::move(error)) {}  // NOLINT: must be an error

    bool ok() const { return std::holds_alternative<T>(v_); }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<T>(v_); }
    const T& value() const& { return std::get<T>(v_); }
    T&& value() && { return std::get<T>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    Status status() const { return ok() ? Status() : std::get<Status>(v_); }
    const std::string& message() const {
        static const std::string none;
        return ok() ? none : std::get<Status>(v_).message();
    }

private:
    std::variant<T, Status> v_;
};

inline Status to_status(const Status& s) { return s; }
template <class T>
Status to_status(const Result<T>& r) {
    return r.status();
}

}  // namespace zelvomat

// Propagate a failed Status or Result to the caller (whose result type is a
// Status or any Result).
#define ZEL_TRY(expr)                                               \
    do {                                                            \
        auto&& zel_try_ = (expr);                                   \
        if (!zel_try_.ok()) return ::zelvomat::to_status(zel_try_); \
    } while (0)
