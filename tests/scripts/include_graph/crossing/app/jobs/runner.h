#pragma once

#include "app/cache/record.h"

void store(int times);
