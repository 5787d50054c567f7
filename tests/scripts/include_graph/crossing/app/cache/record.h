#pragma once

class RecordFile;

class Record {
public:
    void store();

protected:
    int bytes_ = 0;

private:
    friend class RecordFile;
};
