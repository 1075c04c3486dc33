// The application's parameter template: it fills or refuses, never grows without bound.
#include "fuzz_support.h"
#include "import/external_app.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString templ = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList args = {QStringLiteral("01-08-2023"), QStringLiteral("31-08-2023"),
                              QStringLiteral("wymiana  danych.txt")};
    if (const Result<QString> text = ExternalApp::formatParams(templ, args))
        FUZZ_CHECK(text->size() <= templ.size() * 1025, "a filled template stays bounded");
    else
        FUZZ_CHECK(!text.reason().isEmpty(), "a refusal says why");
    if (const Result<QStringList> arguments = ExternalApp::formatArguments(templ, args)) {
        qsizetype total = 0;
        for (const QString &a : *arguments) {
            FUZZ_CHECK(!a.isEmpty() || templ.contains(u'%'), "an argument comes from the template");
            total += a.size();
        }
        FUZZ_CHECK(total <= templ.size() * 1025, "the arguments stay bounded");
    }
    return 0;
}
