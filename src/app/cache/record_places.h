#pragma once

#include <functional>
#include <string_view>

#include "app/cache/cache_records.h"
#include "app/cache/path_stamp.h"

namespace Rilk {

/// Where a run keeps its targets' records: in one cache, or, for the targets of a project it
/// imports, in that project's own cache under the namespace that project's runs give them.
class RecordPlaces {
public:
    /// Where the records of one namespace's targets are kept.
    struct Place {
        CacheRecords* records = nullptr;
        /// The namespace the record keys name the targets under; empty: their own.
        std::string_view recordNamespace;
    };

    virtual ~RecordPlaces() = default;

    /// Where the records of the targets of namespace `ns` are kept.
    virtual Place placeOf(std::string_view ns) = 0;
    /// Calls `visit` with the records of each cache of the run, for what a target's jobs
    /// concern in every one of them.
    virtual void forEachRecords(const std::function<void(CacheRecords&)>& visit) = 0;
    /// The stamps every cache of the run reads files through (`CacheRecords::stamps`): one
    /// per run.
    virtual PathStamps& stamps() = 0;
};

/// Every target's record in one cache, under the target's own name.
class OneRecordPlace : public RecordPlaces {
public:
    explicit OneRecordPlace(CacheRecords& records) : records_(records) {}

    Place placeOf(std::string_view) override { return {&records_, {}}; }
    void forEachRecords(const std::function<void(CacheRecords&)>& visit) override {
        visit(records_);
    }
    PathStamps& stamps() override { return records_.stamps(); }

private:
    CacheRecords& records_;
};

}  // namespace Rilk
