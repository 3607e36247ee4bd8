// dirurar-calc: batch quoting of one window on a copy of an installation's working tables.
#include "tools/calc/quote.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return quote::run(args, std::cout, std::cerr);
}
