#include "greet.h"

int main(void) {
    greet("rilk");
    return 0;
}
