// kolvo165: plays a Wurlitzer 165 e-roll through the organ soundfont.

#include "organs.h"
#include "runroll.h"

int main(int argc, char** argv) {
    return runRoll(*findOrgan("165"), argc, argv);
}
