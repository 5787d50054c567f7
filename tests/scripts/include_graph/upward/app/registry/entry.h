#pragma once

#include "app/driver/run.h"
