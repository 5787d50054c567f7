#include "parser/name_rules.h"

#include "parser/utf8_text.h"

namespace Rilk {

bool isPlainVariableName(std::string_view name) { return isNameText(name) && !isKeyword(name); }

std::string invalidNameReason(std::string_view name) {
    if (name.empty()) return "it is empty";
    if (!isUtf8(name)) return "it is not valid UTF-8";
    if (!isNameText(name)) {
        return "a name starts with a letter or '_' and holds only letters, digits, '_' and '-'";
    }
    if (isKeyword(name)) return "it is a keyword of the language";
    return "";
}

}  // namespace Rilk
