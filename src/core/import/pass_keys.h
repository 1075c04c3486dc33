#pragma once

// The settings keys of the options of one record pass. The invoice pass and the order pass
// are twins: the same options under their own keys.
struct PassKeys
{
    const char *append;            // the records are added to the table (else it is emptied first)
    const char *secondLine;        // a file of its own: its first line describes the columns
    const char *endBlock;          // the end marker of the block in a common file
    const char *endAtEmptyLine;    // the lines end at an empty line
    const char *separateBlock;     // the lines stand in a block of their own (never offered)
    const char *blockStart;        // its start marker
    const char *blockEnd;          // its end marker
    const char *underRecord;       // the lines follow their record
    const char *directlyUnder;     // … directly under it
    const char *afterHeading;      // … after a heading line
    const char *headingText;       // the heading line's text
    const char *recordFilter;      // a record line must begin with …
    const char *recordFilterText;  // … this text
    const char *endAtNumber;       // the lines end where another record number starts
    const char *recordHeading;     // each record is preceded by a heading line
    const char *recordHeadingText; // its text
    const char *endAtRecord;       // the lines end at the next record
    const char *lineFilter;        // a line must begin with …
    const char *lineFilterText;    // … this text
    const char *endAtOtherStart;   // the lines end where another block starts
};

inline constexpr PassKeys kInvoicePassKeys{
    .append = "chb_FAK_append_Checked",
    .secondLine = "chb_FAK_OdDrugiegoWiersza_Checked",
    .endBlock = "ed_FAK_EndBlok_Text",
    .endAtEmptyLine = "rb_PozEnd_FL_Checked",
    .separateBlock = "rb_POZ_OsobnyBlok_Checked",
    .blockStart = "ed_POZ_BLOK_START_Text",
    .blockEnd = "ed_POZ_BLOK_END_Text",
    .underRecord = "rb_POZ_PodFaktura_Checked",
    .directlyUnder = "rb_PozBezposrednioPod_Checked",
    .afterHeading = "rb_PozPoNaglowku_Checked",
    .headingText = "ed_POZ_Naglowek_Text",
    .recordFilter = "chb_FAK_BeginIf_Checked",
    .recordFilterText = "ed_FAK_BeginIf_Text",
    .endAtNumber = "rb_PozEnd_FakId_Checked",
    .recordHeading = "chb_FAK_Naglowek_Checked",
    .recordHeadingText = "ed_FAK_Naglowek_Text",
    .endAtRecord = "rb_PozEnd_Faktura_Checked",
    .lineFilter = "chb_POZ_BeginIf_Checked",
    .lineFilterText = "ed_POZ_BeginIf_Text",
    .endAtOtherStart = "rb_PozEnd_InnyStart_Checked",
};

inline constexpr PassKeys kOrderPassKeys{
    .append = "chb_ZAM_append_Checked",
    .secondLine = "chb_ZAM_OdDrugiegoWiersza_Checked",
    .endBlock = "ed_ZAM_EndBlok_Text",
    .endAtEmptyLine = "rb_ZPozEnd_FL_Checked",
    .separateBlock = "rb_ZPOZ_OsobnyBlok_Checked",
    .blockStart = "ed_ZPOZ_BLOK_START_Text",
    .blockEnd = "ed_ZPOZ_BLOK_END_Text",
    .underRecord = "rb_ZPOZ_PodFaktura_Checked",
    .directlyUnder = "rb_ZPozBezposrednioPod_Checked",
    .afterHeading = "rb_ZPozPoNaglowku_Checked",
    .headingText = "ed_ZPOZ_Naglowek_Text",
    .recordFilter = "chb_ZAM_BeginIf_Checked",
    .recordFilterText = "ed_ZAM_BeginIf_Text",
    .endAtNumber = "rb_ZPozEnd_FakId_Checked",
    .recordHeading = "chb_ZAM_Naglowek_Checked",
    .recordHeadingText = "ed_ZAM_Naglowek_Text",
    .endAtRecord = "rb_ZPozEnd_Faktura_Checked",
    .lineFilter = "chb_ZPOZ_BeginIf_Checked",
    .lineFilterText = "ed_ZPOZ_BeginIf_Text",
    .endAtOtherStart = "rb_ZPozEnd_InnyStart_Checked",
};
