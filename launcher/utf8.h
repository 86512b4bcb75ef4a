// Strict UTF-8 <-> UTF-16 conversions of the launcher.
#pragma once

#include <optional>
#include <string>

// Nothing when the bytes are not valid UTF-8: stray or missing continuation
// bytes, overlong forms, encoded surrogates, values above U+10FFFF, or a
// sequence cut off at the end. Characters above U+FFFF become surrogate pairs.
std::optional<std::u16string> DecodeUtf8(const std::string& bytes);

// UTF-16 to UTF-8; an unpaired surrogate (never part of a name the launcher
// made) is written as U+FFFD.
std::string EncodeUtf8(const std::u16string& text);
