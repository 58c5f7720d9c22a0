// The preview finds the error reporter here until it moves beside the main window in qt/.
#pragma once

#include "window/qt/ErrorReporter.h"
