#pragma once
#include <string>

namespace vantor {

enum class MessageIcon { Stop, Exclamation, Information };

// Expression: the search text itself is wrong (the command line's usage status); Failure: the
// work could not be done (a missing file, a limit).
enum class ErrorKind { Failure, Expression };

// Thrown by value from the field, search and macro layers and shown by whoever catches it.
struct CErrorMessage {
    int suppress = 0;
    int type = 16;  // the stop icon
    std::string text = "MSG_DEFAULT";
    ErrorKind kind = ErrorKind::Failure;

    CErrorMessage() = default;
    explicit CErrorMessage(std::string message, ErrorKind errorKind = ErrorKind::Failure)
        : text(std::move(message)), kind(errorKind) {}
    MessageIcon Icon() const {
        return type == 48 ? MessageIcon::Exclamation : type == 64 ? MessageIcon::Information : MessageIcon::Stop;
    }
};

inline constexpr const char* kMissingQuoteError = "Error, missing 2nd quote mark.";
inline constexpr const char* kMissingParenthesisError =
    "Error, missing parenthesis set\r\nIf you want to search for only 1, put quotes around it.";

}  // namespace vantor
