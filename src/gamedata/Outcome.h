#pragma once
// What an engine job answers instead of talking to the user: whether it was done, and what to
// tell, in the order it is told. The window shows the messages as message boxes, vantor-cli
// prints them.
#include <string>
#include <utility>
#include <vector>

#include "EngineError.h"

namespace vantor {

enum class OutcomeKind { Done, Failure, Cancelled };

struct OutcomeMessage {
    MessageIcon icon;
    std::string text;
    bool operator==(const OutcomeMessage&) const = default;
};

struct Outcome {
    // Nothing counts as done until the job says so.
    OutcomeKind kind = OutcomeKind::Failure;
    std::vector<OutcomeMessage> messages;

    bool Done() const { return kind == OutcomeKind::Done; }
    void Tell(MessageIcon icon, std::string text) { messages.push_back({icon, std::move(text)}); }
};

}  // namespace vantor
