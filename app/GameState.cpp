#include "app/GameState.h"

GameState game;
