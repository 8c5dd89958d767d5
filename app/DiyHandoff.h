#pragma once
// The DIY hand-off flag lives with the DIY drawing, which raises it.
#include "diy/DiyHandoff.h"
