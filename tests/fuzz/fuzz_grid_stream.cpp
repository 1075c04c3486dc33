// The mapping-table file (.ccv) reader and writer: a stream never widens a table, what is
// saved is linear in the table, and a saved stream reads back to the same table.
#include "fuzz_support.h"
#include "import/mapping_grid.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    MappingGrid grid(QStringLiteral("tab_FAK"), 6, 3);
    grid.readGridStream(bytes);
    FUZZ_CHECK(grid.columnCount() == 6, "a stream never widens the table");
    FUZZ_CHECK(grid.rowCount() <= bytes.count('\1'), "one row per row end");
    const QByteArray saved = grid.writeGridStream();
    FUZZ_CHECK(saved.size() <= bytes.size() + 6 * qsizetype(grid.rowCount()), "saving is linear in the table");
    MappingGrid again(QStringLiteral("tab_FAK"), 6, 3);
    again.readGridStream(saved);
    FUZZ_CHECK(again == grid || again.writeGridStream() == saved, "a saved stream reads back the same");
    FUZZ_CHECK(again.writeGridStream() == saved, "saving what was read back gives the same stream");
    return 0;
}
