#pragma once
// The one exception the engine throws: a search text that is wrong, or work that could not be
// done. Whoever catches it shows its text; the command line picks its exit status by the kind.
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>

namespace vantor {

enum class MessageIcon { Stop, Exclamation, Information };

// Expression: the search text itself is wrong (the command line's usage status); Failure: the
// work could not be done (a missing file, a limit); Cancelled: the user stopped it.
enum class ErrorKind { Failure, Expression, Cancelled };

// Where in a text the user typed an error lies, in bytes counted from 0.
struct ErrorSpan {
    std::size_t offset = 0, length = 0;
    bool operator==(const ErrorSpan&) const = default;
};

class EngineError : public std::runtime_error {
  public:
    explicit EngineError(const std::string& message, ErrorKind kind = ErrorKind::Failure,
                         std::optional<ErrorSpan> where = std::nullopt)
        : std::runtime_error(message),
          kind_(kind),
          where_(where.value_or(ErrorSpan{})),
          located_(where.has_value()) {}
    ErrorKind Kind() const { return kind_; }
    // For a mistake in a search text: the bytes of the text as typed that it is about.
    std::optional<ErrorSpan> Where() const {
        if (!located_) return std::nullopt;
        return where_;
    }
    std::string Text() const { return what(); }
    // Shown with the stop icon.
    MessageIcon Icon() const { return MessageIcon::Stop; }

  private:
    ErrorKind kind_;
    ErrorSpan where_;
    bool located_ = false;
};

inline constexpr const char* kCancelled = "Cancelled.";
inline constexpr const char* kMissingQuoteError = "Error, missing 2nd quote mark.";
inline constexpr const char* kMissingParenthesisError =
    "Error, missing parenthesis set\r\nIf you want to search for only 1, put quotes around it.";

}  // namespace vantor
