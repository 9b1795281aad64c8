#include <iostream>

#include "Dialogue.h"

int main() {
    RunDialogue(std::cin, std::cout);
    return 0;
}
