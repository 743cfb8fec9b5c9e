#include "app/EpgHarvest.h"

int main(int argc, char** argv) {
    return EpgHarvestMain(argc, argv);
}
