#pragma once

#include "app/cache/record.h"
