#include "spiral/SpiralScene.h"
