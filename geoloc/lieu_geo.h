// The place record the world map page works on: the genealogy base's.
#pragma once

#include "genealogie/services.h"
