#pragma once
// The one exception the engine throws: a search text that is wrong, or work that could not be
// done. Whoever catches it shows its text; the command line picks its exit status by the kind.
#include <stdexcept>
#include <string>

namespace vantor {

enum class MessageIcon { Stop, Exclamation, Information };

// Expression: the search text itself is wrong (the command line's usage status); Failure: the
// work could not be done (a missing file, a limit); Cancelled: the user stopped it.
enum class ErrorKind { Failure, Expression, Cancelled };

class EngineError : public std::runtime_error {
  public:
    explicit EngineError(const std::string& message, ErrorKind kind = ErrorKind::Failure)
        : std::runtime_error(message), kind_(kind) {}
    ErrorKind Kind() const { return kind_; }
    std::string Text() const { return what(); }
    // Shown with the stop icon.
    MessageIcon Icon() const { return MessageIcon::Stop; }

  private:
    ErrorKind kind_;
};

inline constexpr const char* kCancelled = "Cancelled.";
inline constexpr const char* kMissingQuoteError = "Error, missing 2nd quote mark.";
inline constexpr const char* kMissingParenthesisError =
    "Error, missing parenthesis set\r\nIf you want to search for only 1, put quotes around it.";

}  // namespace vantor
