#pragma once

#include <QString>
#include <QtGlobal>

// Watches the bytes of an XML document as they pass on their way to libxml2 and stops a
// start tag with more attributes than any document of this program holds. libxml2 checks each
// attribute against all before it (20,000 attributes take half a second, 200,000 minutes, and
// several passes pay it again): the tag is refused before the parser has it whole.
//
// The scan is a small state machine that survives chunk boundaries: text up to '<', start tags
// (an attribute is an '=' outside quotes), end tags, comments, CDATA sections, processing
// instructions and declarations (skipped to their end).
class XmlShapeGuard
{
public:
    // The schemas give an element at most a few attributes; the root adds its namespace
    // declarations. No real document comes near this.
    static constexpr int kMaxAttributes = 256;

    // Reads the next bytes; false once a start tag has gone past the limit (and from then on).
    bool pass(const char *data, qsizetype size);
    bool refused() const { return m_refused; }
    // Where the refused tag starts (after a refusal): its offset in all the bytes passed. The scan does not count
    // lines (that would double its cost); the caller counts them in its source with lineAt.
    qint64 tagOffset() const { return m_tagOffset; }
    // The line (from 1) of an offset in bytes.
    static int lineAt(const char *data, qsizetype size, qint64 offset);
    // "Element w wierszu N ma więcej niż 256 atrybutów…", empty while nothing was refused.
    QString refusal(int line) const;

private:
    enum class Mode
    {
        Text,
        Open,       // after '<'
        Bang,       // after "<!": a comment, a CDATA section or a declaration
        StartTag,   // counting '='
        Quoted,     // an attribute value inside a start tag
        SkipToEnd,  // an end tag or a declaration: up to '>'
        Comment,    // up to "-->"
        CData,      // up to "]]>"
        Instruction // up to "?>"
    };
    Mode m_mode = Mode::Text;
    char m_quote = 0;
    int m_attributes = 0;
    int m_matched = 0;      // characters after "<!" seen so far
    char m_bang[8] = {};    // those characters
    char m_before[2] = {};  // the two characters before this one, in a comment, CDATA or instruction
    qint64 m_offset = 0;    // bytes passed before this chunk
    qint64 m_tagOffset = 0; // where the last tag opened
    bool m_refused = false;
};
