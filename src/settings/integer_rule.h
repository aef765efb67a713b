#pragma once
// Integers in settings texts.
#include "platform/text.h"

#include <cstdint>
#include <optional>

// The integer rule: leading blanks skipped; a decimal number with optional
// sign within +-2147483647, or "$" and one to eight hexadecimal digits;
// nothing may follow. nullopt when the text breaks the rule.
std::optional<std::int32_t> parseIntegerRule(const Text& text);
// As parseIntegerRule, but throws the AppError that names the text.
std::int32_t integerOrThrow(const Text& text);
