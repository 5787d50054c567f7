#include "app/cache/file/record_file.h"
#include "app/cache/record.h"

void Record::store() {}
