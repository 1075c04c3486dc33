#pragma once

#include "base/quiet_port.h"

// The benchmarks' port: answers Yes, echoes messages to stderr, shows no progress.
class SilentPort : public QuietPort
{
public:
    SilentPort() : QuietPort(true, true) {}
};
