#include "types/rilk_string.h"

namespace Rilk {

std::string RilkString::stringValue() const {
    const std::string& t = text();
    if (t.size() > 1 && t.front() == '"' && t.back() == '"') return t.substr(1, t.size() - 2);
    return t;
}

std::shared_ptr<RilkBaseString> RilkString::createSame(std::string text) const {
    return std::make_shared<RilkString>(std::move(text));
}

std::shared_ptr<RilkString> makeString(const char* text) {
    return std::make_shared<RilkString>(text);
}

std::shared_ptr<RilkString> makeString(const std::string& text) {
    return std::make_shared<RilkString>(text);
}

std::shared_ptr<RilkString> makeString(std::string&& text) {
    return std::make_shared<RilkString>(std::move(text));
}

std::shared_ptr<RilkString> makeLiteralString(std::string text) {
    auto made = std::make_shared<RilkString>(std::move(text));
    made->markLiteral();
    return made;
}

}  // namespace Rilk
