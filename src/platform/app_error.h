#pragma once
// An error that escapes a handler or the start-up sequence; shown in the
// plain error box, after which the handler is abandoned.
#include "platform/text.h"

#include <stdexcept>

class AppError : public std::runtime_error {
public:
    explicit AppError(Text message) : std::runtime_error(message), message_(std::move(message)) {}
    // In the active code page, without the final period.
    const Text& message() const { return message_; }

private:
    Text message_;
};
