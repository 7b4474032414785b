// kolvo150: plays a Wurlitzer 150 e-roll through the organ soundfont.

#include "organs.h"
#include "runroll.h"

int main(int argc, char** argv) {
    return runRoll(*findOrgan("150"), argc, argv);
}
