#include "app/DiyHandoff.h"

std::atomic<bool> g_bDiyPictureReady{false};
