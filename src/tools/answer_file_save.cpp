#include "tools/answer_file_save.h"

#include <exception>

#include "util/file_writer.h"
#include "util/logger.h"
#include "util/special_file.h"

namespace Rilk {

namespace fs = std::filesystem;

void saveAnswerFile(const fs::path& file, const std::string& text, std::size_t sizeLimit,
                    const char* what) {
    if (text.size() > sizeLimit) {
        log(LogLevel::Verbose, "{} not saved: they would pass the size limit of '{}'.\n", what,
            file.string());
        return;
    }
    try {
        if (file.has_parent_path()) fs::create_directories(file.parent_path());
        Util::removeSpecialFile(file);
        Util::writeOwnFileReplacing(file, text);
    } catch (const std::exception& error) {
        log(LogLevel::Verbose, "{} not saved: {}\n", what, error.what());
    }
}

}  // namespace Rilk
