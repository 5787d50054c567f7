#include "greet.h"

int main(void) {
    greet("rilk");
    farewell("rilk");
    return 0;
}
