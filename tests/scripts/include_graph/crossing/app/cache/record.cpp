#include "app/cache/record.h"

bool readRecord(int bytes) {
    return bytes > 0;
}
