#include "app/Fatal.h"

#include <cstdlib>
#include <iostream>

void waitForKey() {
    // Linux has no "PAUSE" command. Reading one line keeps the console open for a person,
    // and std::getline returns at once at end of input, so a run without a console
    // (CI, a desktop launcher, closed standard input) never hangs.
    std::cout << "Press Enter to continue..." << std::endl;
    std::string line;
    std::getline(std::cin, line);
}

void fatalStop(const std::string& message) {
    std::cout << message << std::endl;
    waitForKey();
    std::exit(1);
}
