#ifndef GREET_H
#define GREET_H

void greet(const char* name);
void farewell(const char* name);

#endif
