#include "app/entry.h"

int main(int argc, char** argv) {
    return clarivex::Main::main(argc, argv);
}
