#include "parser/failed_target_piece.h"

#include <algorithm>

#include "parser/unit_split.h"
#include "parser/utf8_text.h"

namespace Rilk {
namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xc0) == 0x80; }

/// `text` as blanks: line breaks kept, a space for every other character.
void appendBlanks(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '\n' || c == '\r') {
            out += c;
        } else if (!isContinuationByte(c)) {
            out += ' ';
        }
    }
}

}  // namespace

FailedTargetPiece failedTargetPiece(std::string_view text, const FastDecline& decline) {
    FailedTargetPiece piece;
    const std::size_t stop = std::min(decline.at, text.size());
    std::size_t end = text.size();
    if (!decline.runsToEnd) {
        // After the token the read stopped at, which may be the failed target's last '}'.
        const std::size_t from = std::min(stop + 1, text.size());
        end = std::min({nextUnitCut(text, from), nextTargetStart(text, from), text.size()});
    }
    piece.cut = end < text.size();

    const std::size_t start = std::min(decline.targetStart, stop);
    const std::size_t header = std::min(decline.headerEnd, start);
    piece.text.reserve(end);
    piece.text.append(text.substr(0, header));
    appendBlanks(piece.text, text.substr(header, start - header));
    piece.text.append(text.substr(start, end - start));

    const std::size_t lastCharacter = piece.text.find_last_not_of(" \t\r\n");
    if (lastCharacter != std::string::npos) {
        const TextPosition last = positionOf(piece.text, lastCharacter);
        piece.lastLine = last.line;
        piece.lastColumn = last.column;
    }

    const std::string_view before = text.substr(0, stop);
    piece.line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart = before.rfind('\n');
    const std::string_view onLine =
        lineStart == std::string_view::npos ? before : before.substr(lineStart + 1);
    piece.column = static_cast<std::size_t>(
        std::count_if(onLine.begin(), onLine.end(), [](char c) { return !isContinuationByte(c); }));
    return piece;
}

}  // namespace Rilk
