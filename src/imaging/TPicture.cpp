#include "imaging/TPicture.h"
