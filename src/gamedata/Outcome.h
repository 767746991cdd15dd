#pragma once
// How a job ended and what it made: done, failed or cancelled, what to tell (in the order it is
// told) and the job's value. Every job answers one: the data-file utilities, the input check, a
// list loaded or saved, the window's background work. The window shows the messages as message
// boxes, vantor-cli prints them.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "EngineError.h"

namespace vantor {

enum class OutcomeKind { Done, Failure, Cancelled };

// What the user can do next, said by each program in its own words (the window points at its
// settings, the command line at its options), so that the engine's messages name neither.
enum class Advice {
    None,
    ChooseInputFile,   // no master file is chosen
    UseNewInputFile,   // the file just written is the master file from now on
    ListNewInputFile,  // the same, and its games can be listed
    MakeMergedFile,    // a merged master file would serve better
};

struct Message {
    Message() = default;
    Message(MessageIcon icon, std::string text, Advice advice = Advice::None, std::string afterAdvice = {})
        : icon(icon), text(std::move(text)), advice(advice), afterAdvice(std::move(afterAdvice)) {}

    MessageIcon icon = MessageIcon::Information;
    std::string text;  // up to the advice
    Advice advice = Advice::None;
    std::string afterAdvice;

    // The message as a program shows it, `adviceText` being its words for `advice`.
    std::string Worded(std::string_view adviceText) const {
        std::string worded = text;
        worded += adviceText;
        worded += afterAdvice;
        return worded;
    }
    bool operator==(const Message&) const = default;
};

// The value of a job that makes nothing but its messages.
struct NoValue {
    bool operator==(const NoValue&) const = default;
};

template <typename Value = NoValue>
struct Outcome {
    // Nothing counts as done until the job says so.
    OutcomeKind kind = OutcomeKind::Failure;
    std::vector<Message> messages;
    Value value{};
    // For a mistake in a search text: the bytes of the text as typed that it is about.
    std::optional<ErrorSpan> where;

    bool Done() const { return kind == OutcomeKind::Done; }
    bool Failed() const { return kind == OutcomeKind::Failure; }
    bool Cancelled() const { return kind == OutcomeKind::Cancelled; }

    void Tell(MessageIcon icon, std::string text) { messages.push_back({icon, std::move(text)}); }
    void Tell(Message message) { messages.push_back(std::move(message)); }
    // Marks a failure and says why; for `return outcome.Fail(...)`.
    Outcome& Fail(std::string text, MessageIcon icon = MessageIcon::Exclamation) {
        kind = OutcomeKind::Failure;
        Tell(icon, std::move(text));
        return *this;
    }
    // A cancelled job tells nothing.
    Outcome& Cancel() {
        kind = OutcomeKind::Cancelled;
        messages.clear();
        return *this;
    }

    static Outcome Made(Value value = {}) {
        Outcome outcome;
        outcome.kind = OutcomeKind::Done;
        outcome.value = std::move(value);
        return outcome;
    }
    static Outcome Failure(std::string text, MessageIcon icon = MessageIcon::Exclamation) {
        Outcome outcome;
        outcome.Fail(std::move(text), icon);
        return outcome;
    }
    static Outcome CancelledOutcome() {
        Outcome outcome;
        outcome.kind = OutcomeKind::Cancelled;
        return outcome;
    }
    // A job that threw: cancelled, or failed with the error's text and place.
    static Outcome From(const EngineError& error) {
        if (error.Kind() == ErrorKind::Cancelled) return CancelledOutcome();
        Outcome outcome = Failure(error.Text(), error.Icon());
        outcome.where = error.Where();
        return outcome;
    }
    // The same ending and messages with another value.
    template <typename Other>
    Outcome<Other> With(Other other) && {
        Outcome<Other> outcome;
        outcome.kind = kind;
        outcome.messages = std::move(messages);
        outcome.value = std::move(other);
        outcome.where = where;
        return outcome;
    }
};

}  // namespace vantor
