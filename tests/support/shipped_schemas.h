#pragma once

#include "base/program_files.h"

// The program's own schemas are always found; tests of the download and cache roads take
// them away for their lifetime.
struct ShippedSchemasAway
{
    ShippedSchemasAway() { ProgramFiles::setShippedSchemas(QString()); }
    ~ShippedSchemasAway() { ProgramFiles::setShippedSchemas(std::nullopt); }
    ShippedSchemasAway(const ShippedSchemasAway &) = delete;
    ShippedSchemasAway &operator=(const ShippedSchemasAway &) = delete;
};
