// kolvo165: plays a Wurlitzer 165 e-roll through the organ soundfont.

#include "runroll.h"
#include "xlate165.h"

int main(int argc, char** argv) {
    return runRoll(organ165, argc, argv);
}
