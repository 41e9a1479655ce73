// The main-thread test lives with the thread check, which needs it inline.
#pragma once

#include "HvLXThreadCheck.h"
