// kolvo150: plays a Wurlitzer 150 e-roll through the organ soundfont.

#include "runroll.h"
#include "xlate150.h"

int main(int argc, char** argv) {
    return runRoll(organ150, argc, argv);
}
