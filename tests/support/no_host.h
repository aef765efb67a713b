#pragma once
// A main window stand-in for dialogs whose conversions a test never runs.
#include "rename/session.h"

struct NoHost : ConversionHost {
    StringList none;
    const StringList& markedPaths() const override { return none; }
    void keepMarkedPaths() override {}
    void conversionCompleted() override {}
};
