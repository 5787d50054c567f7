#include <stdio.h>

#include "greet.h"

void farewell(const char* name) { printf("Goodbye, %s!\n", name); }
