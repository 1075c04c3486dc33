// The writer's two roads give the same bytes for any text: libxml2's tree (the text made safe,
// then serialized by libxml2) and the direct byte road (escaped by the program itself).
#include "base/xml_text.h"
#include "fuzz_support.h"

#include <libxml/tree.h>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // the input as UTF-16 code units, so that lone surrogates and every control come through
    const QString text(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    QByteArray direct;
    bool droppedDirect = false;
    const bool any = XmlText::appendEscaped(direct, text, &droppedDirect);

    bool droppedSafe = false;
    const QByteArray safe = XmlText::safe(text, &droppedSafe).toUtf8();
    FUZZ_CHECK(droppedDirect == droppedSafe, "both roads drop the same characters");
    FUZZ_CHECK(any == !safe.isEmpty(), "both roads agree on an empty value");

    xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar *>("1.0"));
    xmlNodePtr element = xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar *>("a"), nullptr);
    xmlDocSetRootElement(doc, element);
    xmlNodeAddContentLen(element, reinterpret_cast<const xmlChar *>(safe.constData()), int(safe.size()));
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, doc, element, 0, 0);
    const QByteArray written(reinterpret_cast<const char *>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
    xmlBufferFree(buffer);
    xmlFreeDoc(doc);
    const QByteArray expected = any ? "<a>" + direct + "</a>" : QByteArray("<a/>");
    FUZZ_CHECK(written == expected, "libxml2 writes the text as the direct road does");
    return 0;
}
