#pragma once

#include <cstdint>
#include <source_location>
#include <string>

#include "types/access_key.h"
#include "types/visiting_chain.h"

namespace Rilk {

/// Root of the system's own errors. Not a standard exception: the text is composed on
/// request by `message`, from the fields each subclass keeps.
class RilkException {
public:
    explicit RilkException(const std::string& message) : message_(message) {}
    virtual ~RilkException() = default;

    /// The final message text; composed anew on every call.
    virtual std::string message() const;

protected:
    RilkException() = default;

private:
    std::string message_;
};

/// "<kind> '<name>' not found."
class NotFoundException : public RilkException {
public:
    NotFoundException(const std::string& kind, const std::string& name)
        : kind_(kind), name_(name) {}
    std::string message() const override;

private:
    std::string kind_;
    std::string name_;
};

/// "Cannot convert <source type> <value> to <target type>"
class BadConversion : public RilkException {
public:
    BadConversion(const std::string& sourceType, const std::string& valueText,
                  const std::string& targetType)
        : sourceType_(sourceType), valueText_(valueText), targetType_(targetType) {}
    std::string message() const override;

private:
    std::string sourceType_;
    std::string valueText_;
    std::string targetType_;
};

/// A failure while following an identifier: the message, then the keys up to the
/// failing position, then " <<".
class IdentifierError : public RilkException {
public:
    IdentifierError(const KeyChain& chain, std::uint64_t position, const std::string& message)
        : chain_(chain), position_(position), text_(message) {}
    std::string message() const override;

private:
    KeyChain chain_;
    std::uint64_t position_;
    std::string text_;
};

/// A target that is already being built further up the chain, or a variable whose value
/// needs itself.
class LoopFoundException : public RilkException {
public:
    LoopFoundException(const std::string& term, const VisitingChain& chain)
        : term_(term), chain_(chain) {}
    /// A loop of targets: the chain names them, and no target is added by `setTarget`.
    static LoopFoundException ofTargets(const std::string& term, const VisitingChain& chain) {
        LoopFoundException loop(term, chain);
        loop.ofTargets_ = true;
        return loop;
    }
    std::string message() const override;

    /// Names the target whose variables loop; a target named before (an inner
    /// dependency's) is kept.
    void setTarget(const std::string& target) {
        if (target_.empty() && !ofTargets_) target_ = target;
    }

private:
    std::string term_;
    VisitingChain chain_;
    std::string target_;
    bool ofTargets_ = false;
};

/// A broken internal invariant, with the place of the check.
class InternalError : public RilkException {
public:
    explicit InternalError(const std::source_location& where = std::source_location::current())
        : where_(where) {}
    std::string message() const override;

private:
    std::source_location where_;
};

/// A value indexed with a key its type does not accept.
class IndexException : public RilkException {
public:
    IndexException(const std::string& subject, const AccessKey& key)
        : subject_(subject), key_(key) {}
    std::string message() const override;

private:
    std::string subject_;
    AccessKey key_;
};

/// An operation a value or context does not support; the text is given as is.
class BadOperation : public RilkException {
public:
    explicit BadOperation(const std::string& message) : RilkException(message) {}
    std::string message() const override;
};

/// A fault of a value that names nothing outside it (an index without a usable value, a
/// text that refers to itself); the resolution that meets it tells whose value it is.
class ValueError : public RilkException {
public:
    explicit ValueError(const std::string& message) : RilkException(message) {}
};

/// An error met in the value of one variable: "Variable '<name>' of target <target>, value
/// <text>: <reason>". The written text (shortened) is shown for a string value; the target
/// is told by the build of the target whose context holds the variable, which sets it once.
class VariableError : public RilkException {
public:
    VariableError(const std::string& variable, const std::string& reason,
                  const std::string& text = "")
        : variable_(variable), reason_(reason), text_(text) {}
    std::string message() const override;

    const std::string& variable() const { return variable_; }
    /// Names the target; a target named before (an inner dependency's) is kept.
    void setTarget(const std::string& target) {
        if (target_.empty()) target_ = target;
    }

private:
    std::string variable_;
    std::string reason_;
    std::string text_;
    std::string target_;
};

/// A malformed "${...}" reference or "#{...}" group, at a character offset of the text.
struct ParseError {
    std::uint64_t position = 0;
    std::string message;
};

}  // namespace Rilk
