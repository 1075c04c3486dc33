// The validator's preparation: the streaming scan of a document and the schema hints read
// from its root; a document the scan refuses is never prepared for validation.
#include "base/xml_scan.h"
#include "base/xml_services.h"
#include "fuzz_support.h"
#include "validate/validator.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = QDir(fuzzHome().path()).filePath(QStringLiteral("in.xml"));
    writeFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    XmlRootInfo root;
    XmlError error;
    const bool wellFormed = Xml::scanFile(path, &root, &error);
    FUZZ_CHECK(wellFormed || !error.reason.isEmpty(), "a refusal has its reason");
    FuzzPort port;
    JpkValidator validator(&port, fuzzHome().path());
    validator.documentPath = path;
    const bool prepared = validator.prepare();
    FUZZ_CHECK(wellFormed || !prepared, "a document that is not well-formed is not validated");
    return 0;
}
