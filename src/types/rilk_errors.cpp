#include "types/rilk_errors.h"

#include <algorithm>

#include <fmt/format.h>

namespace Rilk {

std::string RilkException::message() const { return message_; }

std::string NotFoundException::message() const { return kind_ + " '" + name_ + "' not found."; }

std::string BadConversion::message() const {
    return "Cannot convert " + sourceType_ + " " + valueText_ + " to " + targetType_;
}

namespace {

std::string chainKeyText(const AccessKey& key) {
    switch (key.index()) {
        case kPositionKey:
            return std::to_string(std::get<kPositionKey>(key));
        case kRangeKey: {
            const Range& r = std::get<kRangeKey>(key);
            return fmt::format("{}, {}, {}", r.start, r.end, r.step);
        }
        case kNameKey:
            return std::get<kNameKey>(key);
        default:
            return std::get<kPatternKey>(key);
    }
}

}  // namespace

std::string IdentifierError::message() const {
    const std::uint64_t n = std::min<std::uint64_t>(chain_.size(), position_);
    std::string keys;
    for (std::uint64_t i = 0; i < n; ++i) keys += chainKeyText(chain_[i]) + ".";
    return text_ + " " + keys + " <<";
}

std::string LoopFoundException::message() const {
    std::string text = "Loop detected! Causing term: '" + term_ + "'";
    if (!target_.empty()) text += " in target " + target_;
    text += "\n  loop goes as follows: ";
    for (const std::string& name : chain_.names) text += name + " <- ";
    return text;
}

std::string InternalError::message() const {
    return fmt::format("Internal: {}({}) {}", where_.file_name(), where_.line(),
                       where_.function_name());
}

std::string IndexException::message() const {
    return "Variable " + subject_ + " cannot be indexed with " + formatAccessKey(key_);
}

std::string BadOperation::message() const { return RilkException::message(); }

std::string VariableError::message() const {
    std::string text = "Variable '" + variable_ + "'";
    if (!target_.empty()) text += " of target " + target_;
    if (!text_.empty()) text += ", value " + text_;
    return text + ": " + reason_;
}

}  // namespace Rilk
