#include "app/main_procedure.h"

int main(int argc, char** argv) {
    return vesk::app::run(argc, argv);
}
