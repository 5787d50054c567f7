#pragma once

#include "app/cache/record.h"

bool readRecord(int bytes);

class RecordFile : public Record {
public:
    int size() const;
};
