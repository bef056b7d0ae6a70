#include "app/Game.h"

int runGame() {
    return 0;
}
