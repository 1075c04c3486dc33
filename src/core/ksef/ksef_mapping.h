#pragma once

#include "tables/field_def.h"

#include <QHash>
#include <QString>
#include <vector>

// The way from the elements of an FA(3) or FA(2) e-invoice to the fields of the four tables:
// one table of rows, the same for both structures (FA(2) lacks a few of FA(3)'s elements;
// those rows simply never meet anything). docs/ksef-mapping.md shows it for people.
namespace KsefMapping {

enum class How
{
    Text,       // the text, cut to the field
    Date,       // xs:date
    Amount,     // xs:decimal; several rows into one field are added up
    Flag,       // 1 = true, 2 = false
    FlagNo,     // an element that, present with 1, says "no": false
    Kind,       // RodzajFaktury: VAT, UPR, ROZ → VAT; KOR, KOR_ZAL, KOR_ROZ → KOREKTA; ZAL → ZAL
    Rate,       // a tax-rate code: "0 KR", "0 WDT", "0 EX" → 0; "np I", "np II" → np
    Joined,     // repeated elements: their texts joined with ", "
    Address,    // AdresL1, AdresL2: joined with ", "
    Country,    // an address's KodKraju: added to the address unless it is PL
    MarginKind, // P_PMarzy_3_x: P_106E_3 true, and the words the JPK asks for in P_106E_3A
    Before,     // StanPrzed / StanPrzedZ: the line as it stood before the correction, taken as its storno
    LineDate,   // P_6A of a line: P_6 of the invoice when P_6 is absent and every line has the same
    Authorized, // PodmiotUpowazniony: P_20… for an enforcement authority or bailiff, P_21… for a tax representative
    AdvanceKsef, // the KSeF number of an advance invoice: its own number when the package holds it
    Known        // read and used without a field of its own (NrWierszaFa, BrakID, P_PMarzy …)
};

// Where an element stands: the invoice (paths from the root's children), one of its lines
// (paths inside FaWiersz) or one line of its order (paths inside ZamowienieWiersz).
enum class Level
{
    Invoice,
    Line,
    OrderLine
};

struct Row
{
    Level level;
    const char *path; // local names joined with '/'
    TableKind table;
    const char *field; // empty for How::Known
    How how;
    const char *note; // why, when the row is not a plain copy (for the document)
};

const std::vector<Row> &rows();
// The row of an element's path at a level, or nullptr.
const Row *find(Level level, const QString &path);

// The fields of a before-the-correction line whose sign turns: quantity and values; unit
// prices keep theirs, so that quantity × price still gives the value.
bool negatedInStorno(TableKind table, const QString &field);
// The role of an authorised party (RolaPU): true for a tax representative (3), false for an
// enforcement authority (1) or a bailiff (2).
inline bool isTaxRepresentative(const QString &role)
{
    return role == u"3";
}

// The JPK_FA(4) value of an FA tax-rate code.
QString rate(const QString &code);
// The JPK_FA(4) RodzajFaktury of an FA one (empty for an unknown kind).
QString kind(const QString &code);
// The words of P_106E_3A for a margin procedure element (P_PMarzy_3_1 … 3_3).
QString marginWords(const QString &element);

// The namespaces of the two structures.
inline constexpr char kFa3Namespace[] = "http://crd.gov.pl/wzor/2025/06/25/13775/";
inline constexpr char kFa2Namespace[] = "http://crd.gov.pl/wzor/2023/06/29/12648/";

} // namespace KsefMapping
