#pragma once

#include <exception>
#include <string>

#include "parser/parse_chain.h"
#include "parser/throwing_error_listener.h"
#include "types/rilk_errors.h"

namespace RilkFuzz {

/// Parses `text` from each entry rule of the grammar. Every failure the front end reports by
/// design (syntax errors, too deep nesting, text that is not UTF-8, model errors) is caught
/// here; what remains for the fuzzer to find is a crash, a leak, a hang or an unexpected
/// exception type.
inline void parseFromEveryEntry(const std::string& text) {
    for (int entry = 0; entry < 4; ++entry) {
        try {
            Rilk::ParseChain chain(text, "fuzz.txt");
            ThrowingErrorListener listener("fuzz.txt");
            chain.useErrorListener(listener);
            switch (entry) {
                case 0:
                    chain.registryFile();
                    break;
                case 1:
                    chain.unitFile();
                    break;
                case 2:
                    chain.projFile();
                    break;
                default:
                    chain.assignment();
                    break;
            }
        } catch (const std::exception&) {
        } catch (const Rilk::RilkException&) {
        }
    }
}

}  // namespace RilkFuzz
