#pragma once
// A main window stand-in for dialogs whose conversions a test never runs.
#include "rename/session.h"

struct NoHost : ConversionHost {
    void conversionCompleted() override {}
};
