#pragma once

class Record {
public:
    void store();
};
