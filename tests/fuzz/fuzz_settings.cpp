// The settings-file reader: any bytes load, and what is written from them reads back to the
// same file; the controls restore from it without harm; no value makes a mapping table past
// its bounds.
#include "base/controls.h"
#include "base/settings_file.h"
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
    SettingsFile file;
    file.loadFromBytes(bytes);
    Controls controls;
    controls.restore(file, QStringLiteral("Form_ImportJPK"));
    const QByteArray written = file.toBytes();
    SettingsFile again;
    again.loadFromBytes(written);
    FUZZ_CHECK(again.toBytes() == written, "a written settings file reads back the same");
    FUZZ_CHECK(!written.contains('\x1A') || bytes.contains('\x1A'), "no substitute character is made up");
    // any value may be read as a mapping table: it never holds more rows or columns than one can
    for (const QString &section : file.sections()) {
        for (const QString &key : file.keys(section)) {
            MappingGrid grid(key, 6, 1);
            grid.restoreStoredValue(file.value(section, key, QString()));
            FUZZ_CHECK(grid.rowCount() <= 1000 && grid.columnCount() == 6, "a mapping table stays bounded");
        }
    }
    return 0;
}
