#include "app/cache/file/cache_record_writer.h"

#include "app/cache/file/cache_file_format.h"

namespace Rilk {

bool writeRecord(std::string& out, const std::string& key, const RecordContents& contents) {
    writeSizedString(out, key);
    return writeRecordContents(out, contents);
}

bool writeRecordContents(std::string& out, const RecordContents& contents) {
    out += std::to_string(contents.workItems().size()) + "\n";
    for (const WorkItem& item : contents.workItems()) {
        if (!writeWorkItemParts(out, item)) return false;
        writeFilesRead(out, item.filesRead);
        writeFileStamps(out, item.stamps);
    }
    return writeRecordContext(out, contents);
}

bool writeWorkItemParts(std::string& out, const WorkItem& item) {
    out += std::to_string(item.inputs.size()) + "\n";
    for (const WorkItemEntry& entry : item.inputs) {
        if (!writeAssignmentRecord(out, entry.input)) return false;
        out += entry.hasIntermediate() ? "1\n" : "0\n";
        if (entry.hasIntermediate() && !writeAssignmentRecord(out, entry.intermediate())) {
            return false;
        }
    }
    out += std::to_string(item.outputs.size()) + "\n";
    for (const Assignment& output : item.outputs) {
        if (!writeAssignmentRecord(out, output)) return false;
    }
    return true;
}

void writeFilesRead(std::string& out, const FilesRead& files) {
    if (!files) {
        out += "0\n";
        return;
    }
    out += std::to_string(files->size() + 1) + "\n";
    for (const std::string& file : *files) writeSizedString(out, file);
}

void writeFileStamps(std::string& out, const FileStamps& stamps) {
    if (!stamps) {
        out += "0\n";
        return;
    }
    out += std::to_string(stamps->files.size() + 1) + "\n";
    writeStampsTime(out, stamps->knownSince);
    for (const RecordedStamp& stamp : stamps->files) writeStampLine(out, stamp);
}

bool writeRecordContext(std::string& out, const RecordContents& contents) {
    out += std::to_string(contents.context.size()) + "\n";
    for (const Assignment& assignment : contents.context) {
        if (!writeAssignmentRecord(out, assignment)) return false;
    }
    return true;
}

}  // namespace Rilk
