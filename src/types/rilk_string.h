#pragma once

#include <memory>
#include <string>

#include "types/rilk_base_string.h"

namespace Rilk {

/// Text that may refer to variables ("${name}", "#{name}"); `resolve` expands the
/// references through the resolver and replaces the stored text in place.
class RilkString : public RilkBaseString, public Resolvable {
public:
    explicit RilkString(std::string text) : RilkBaseString(std::move(text)) {}

    std::string typeName() const override { return "RilkString"; }
    ValueKind kind() const override { return ValueKind::String; }
    static constexpr bool holdsKind(ValueKind kind) {
        return kind == ValueKind::String || kind == ValueKind::PathString;
    }
    Resolvable* resolvable() override { return this; }
    /// The text without one pair of surrounding double quotes, when it has them.
    std::string stringValue() const override;
    std::shared_ptr<RilkBaseString> createSame(std::string text) const override;
    RilkValuePtr resolve() override;
    /// `resolve` for a value that is not shared (`isShared`) and that its only holder
    /// drops for the result: where the result is one text, this value itself becomes it
    /// (that text, no resolver) instead of a new value being made for it, and the result
    /// is null (the holder has the value already).
    virtual RilkValuePtr resolveInPlace();
    /// Whether the text holds no reference or cross expansion, so that resolving gives
    /// the same text and leaves this value as it is. A literal text (`isLiteral`) is plain
    /// whatever it holds.
    bool isPlainText() const;

protected:
    /// `resolve`, or `resolveInPlace` when `inPlace`.
    RilkValuePtr resolveString(bool inPlace);
    /// Makes this value the result of its own resolution: its resolver is dropped, as a
    /// new value would have none. Gives null, the result of `resolveInPlace` for this value.
    RilkValuePtr becomeResolved();
};

/// A new string value without resolver.
std::shared_ptr<RilkString> makeString(const char* text);
std::shared_ptr<RilkString> makeString(const std::string& text);
std::shared_ptr<RilkString> makeString(std::string&& text);
/// A new string value holding a name rilk found (a directory, a file name): literal, so
/// that its text is never expanded (see `RilkBaseString::markLiteral`).
std::shared_ptr<RilkString> makeLiteralString(std::string text);

}  // namespace Rilk
