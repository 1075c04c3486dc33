#include "base/controls.h"
#include "base/xml_services.h"
#include "jpk/node_path.h"
#include "support/recording_port.h"

#include <cmath>
#include <gtest/gtest.h>
#include <libxml/tree.h>
#include <limits>

namespace {

const char kDoc[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<JPK xmlns="urn:jpk" xmlns:etd="urn:etd">
  <Naglowek id="n"><KodFormularza id="kf">JPK_FA</KodFormularza><DataOd id="od">2023-08-01</DataOd><DataDo id="do"/></Naglowek>
  <Podmiot1 id="p"><AdresPodmiotu id="a"><etd:KodKraju id="kk">PL</etd:KodKraju></AdresPodmiotu></Podmiot1>
  <Faktura id="f1"><P_2A id="f1a">A &amp; B</P_2A><P_13_1 id="f1n">1.00</P_13_1></Faktura>
  <!-- between invoices -->
  <Faktura id="f2"><P_2A id="f2a">B</P_2A><Uwagi id="u"><x/>tekst</Uwagi></Faktura>
</JPK>)";

class NodePaths : public ::testing::Test
{
protected:
    void SetUp() override
    {
        XmlError error;
        doc = Xml::parseText(QString::fromUtf8(kDoc), &error);
        ASSERT_TRUE(doc) << error.reason.toStdString();
        root = xmlDocGetRootElement(doc.get());
    }
    xmlNode *byId(const QString &id)
    {
        std::function<xmlNode *(xmlNode *)> walk = [&](xmlNode *n) -> xmlNode * {
            for (; n; n = n->next) {
                if (Xml::attribute(n, QStringLiteral("id")) == id)
                    return n;
                if (xmlNode *f = walk(n->children))
                    return f;
            }
            return nullptr;
        };
        return walk(root);
    }
    static QString describe(const xmlNode *node)
    {
        if (!node)
            return QStringLiteral("none");
        const QString id = Xml::attribute(node, QStringLiteral("id"));
        return id.isEmpty() ? Xml::nodeName(node) : id;
    }
    XmlDocPtr doc;
    xmlNode *root = nullptr;
    RecordingPort port;
};

TEST_F(NodePaths, find)
{
    struct Case
    {
        const char *start; // id of the start node, "" for the document element
        const char *path;
        bool noSiblings;
        const char *expected;
    };
    const Case cases[] = {
        {"", "KodKraju", false, "kk"},     // the prefix of the node is ignored
        {"", "etd:KodKraju", false, "kk"}, // a prefixed pattern must match in full
        {"", "xx:KodKraju", false, "none"},
        {"", "kodkraju", false, "none"}, // case counts
        {"", "P_2A", false, "f1a"},      // first anywhere below
        {"", "^P_2A", false, "none"},    // direct children only
        {"f2", "^P_2A", false, "f2a"},
        {"", "Faktura|P_2A", false, "f1a"},
        {"", "^Faktura|^P_2A", false, "f1a"},
        {"", "JPK|Faktura", false, "f1"},    // the start node itself matches first
        {"", "Faktura|P_13*", false, "f1n"}, // prefix pattern
        {"", "P_13_1*", false, "f1n"},
        {"", "*", false, "JPK"}, // "*" takes the first node visited
        {"", "^*", false, "n"},
        {"f1", "Faktura", false, "f1"},
        {"f2", "Naglowek", false, "n"}, // preceding siblings, nearest first
        {"f2", "Naglowek", true, "none"},
        {"f1", "Faktura", true, "f1"},
        {"f1", "^*", false, "f1a"},
        {"n", "P_2A", false, "none"},  // siblings are looked at, not their subtrees
        {"kf", "DataDo", false, "do"}, // a following sibling before any child
        {"kf", "DataDo", true, "none"},
        {"n", "DataDo", true, "do"},
        {"", "Brak", false, "none"},
        {"", "Naglowek|Brak|DataOd", false, "none"},
    };
    for (const Case &c : cases) {
        xmlNode *start = *c.start ? byId(QString::fromLatin1(c.start)) : root;
        ASSERT_TRUE(start) << c.start;
        EXPECT_EQ(describe(NodePath::find(start, QString::fromLatin1(c.path), c.noSiblings)),
                  QString::fromLatin1(c.expected))
            << c.start << " " << c.path;
    }
}

TEST_F(NodePaths, CommentsAndTextTakePartUnderTheirDomNames)
{
    xmlNode *comment = byId(QStringLiteral("f1"))->next;
    ASSERT_EQ(Xml::nodeName(comment), QStringLiteral("#comment"));
    EXPECT_EQ(NodePath::find(comment, QStringLiteral("*"), true), comment);
    EXPECT_EQ(describe(NodePath::find(comment, QStringLiteral("Faktura"), false)), QStringLiteral("f2"));
    EXPECT_TRUE(NodePath::nameMatches(QStringLiteral("#text"), QStringLiteral("*")));
    EXPECT_FALSE(NodePath::nameMatches(QStringLiteral("#text"), QStringLiteral("P_*")));
    EXPECT_TRUE(NodePath::nameMatches(QStringLiteral("etd:KodKraju"), QStringLiteral("^KodKraju")));
    EXPECT_EQ(NodePath::findChild(nullptr, QStringLiteral("x")), nullptr);
}

TEST_F(NodePaths, NodeTextAndAttributes)
{
    EXPECT_EQ(Xml::elementText(byId(QStringLiteral("f1a"))), QStringLiteral("A & B"));
    EXPECT_EQ(Xml::elementText(byId(QStringLiteral("f1"))), QString()); // child elements
    EXPECT_EQ(Xml::elementText(byId(QStringLiteral("do"))), QString()); // nothing at all
    EXPECT_EQ(Xml::elementText(byId(QStringLiteral("u"))), QString());  // mixed
    EXPECT_EQ(Xml::elementText(byId(QStringLiteral("f1a"))->children), QStringLiteral("A & B"));
    EXPECT_EQ(Xml::attribute(root, QStringLiteral("xmlns:etd")), QStringLiteral("urn:etd"));
    EXPECT_EQ(Xml::attribute(root, QStringLiteral("xmlns")), QStringLiteral("urn:jpk"));
    EXPECT_EQ(Xml::attribute(root, QStringLiteral("brak")), QString());
    EXPECT_EQ(Xml::localName(byId(QStringLiteral("kk"))), QStringLiteral("KodKraju"));
    EXPECT_EQ(Xml::localName(nullptr), QString());
}

TEST_F(NodePaths, ReadingValuesAndDates)
{
    EXPECT_EQ(NodePath::readText(root, QStringLiteral("KodFormularza")), QStringLiteral("JPK_FA"));
    EXPECT_EQ(NodePath::readText(root, QStringLiteral("Brak")), QString());
    EXPECT_EQ(NodePath::readValue(&port, root, QStringLiteral("Brak"), QStringLiteral("x"), false, true),
              QStringLiteral("x"));
    EXPECT_TRUE(port.messages.isEmpty());
    EXPECT_EQ(NodePath::readValue(&port, root, QStringLiteral("Brak"), QStringLiteral("x"), false, false),
              QStringLiteral("x"));
    EXPECT_EQ(port.messages, QList<RecordingPort::Message>({{QStringLiteral("info"), applicationTitle(),
                                                             QStringLiteral("Nie odnaleziono <Brak>")}}));
    EXPECT_EQ(NodePath::readDate(&port, root, QStringLiteral("DataOd"), true), QDate(2023, 8, 1));
    EXPECT_EQ(NodePath::readDate(&port, root, QStringLiteral("DataDo"), true), zeroDate());
    EXPECT_EQ(NodePath::readDate(&port, root, QStringLiteral("DataZ"), true), zeroDate());
}

TEST(dateOfText, Forms)
{
    struct Case
    {
        const char *text;
        QDate expected;
    };
    const Case cases[] = {
        {"2023-08-25", QDate(2023, 8, 25)},
        {"  2023-08-25 ", QDate(2023, 8, 25)},
        {"2023/08/25", QDate(2023, 8, 25)},
        {"2023-8-25", zeroDate()},
        {"25-08-2023", zeroDate()},
        {"", zeroDate()},
        {"2023-13-01", zeroDate()},
        {"2023-04-31", zeroDate()},
        {"2024-02-29", QDate(2024, 2, 29)},
        {"abcd-ef-gh", zeroDate()},
        // a year below 1: once read as the year -1 and written back as "-0001-01-01"
        {"-001-01-01", zeroDate()},
        {"0000-01-01", zeroDate()},
        {"0001-01-01", QDate(1, 1, 1)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NodePath::dateOfText(QString::fromLatin1(c.text)), c.expected) << c.text;
    EXPECT_EQ(NodePath::dateText(QDate(-1, 1, 1)), QString());
}

TEST(floatText, TwoDecimalsHalfAwayFromZero)
{
    struct Case
    {
        double value;
        int decimals;
        const char *expected;
    };
    const Case cases[] = {
        {1234.5, 2, "1234.50"},
        {0, 2, "0.00"},
        {-3.456, 2, "-3.46"},
        {1.5, 2, "1.50"},
        {0.004, 2, "0.00"},
        {0.012, 2, "0.01"},
        {-0.004, 2, "0.00"},
        {0.125, 2, "0.13"},
        {-0.125, 2, "-0.13"},
        {2.675, 2, "2.68"},
        {1.005, 2, "1.01"},
        {999.995, 2, "1000.00"},
        {-999.995, 2, "-1000.00"},
        {1e-9, 2, "0.00"},
        {12345678.9, 2, "12345678.90"},
        {0.5, 0, "1"},
        {123.456789, 6, "123.456789"},
        {1e15, 2, "1000000000000000.00"},
        {0.0049999, 2, "0.00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NodePath::floatText(c.value, c.decimals), QString::fromLatin1(c.expected)) << c.value;
    // the ends of the double range, and what is no number
    EXPECT_EQ(NodePath::floatText(1e308, 2), QStringLiteral("1") + QString(308, u'0') + QStringLiteral(".00"));
    EXPECT_EQ(NodePath::floatText(-1.7976931348623157e308, 0).size(), 310);
    EXPECT_EQ(NodePath::floatText(5e-324, 2), QStringLiteral("0.00"));
    EXPECT_EQ(NodePath::floatText(-5e-324, 6), QStringLiteral("0.000000"));
    EXPECT_EQ(NodePath::floatText(std::numeric_limits<double>::infinity(), 2), QString());
    EXPECT_EQ(NodePath::floatText(std::nan(""), 2), QString());
}

TEST_F(NodePaths, SettingAndRemoving)
{
    NodePath::setTextOrRemove(&port, root, QStringLiteral("KodFormularza"), QStringLiteral("X<&>"));
    EXPECT_EQ(NodePath::readText(root, QStringLiteral("KodFormularza")), QStringLiteral("X<&>"));
    NodePath::setTextOrRemove(&port, root, QStringLiteral("DataDo"),
                              QStringLiteral("2023-08-31")); // fills an empty one
    EXPECT_EQ(NodePath::readText(root, QStringLiteral("DataDo")), QStringLiteral("2023-08-31"));
    NodePath::setTextOrRemove(&port, root, QStringLiteral("KodKraju"), QString());
    EXPECT_EQ(NodePath::find(root, QStringLiteral("KodKraju"), false), nullptr);
    NodePath::setTextOrRemove(&port, root, QStringLiteral("Brak"), QStringLiteral("x")); // nothing happens
    NodePath::setDate(&port, root, QStringLiteral("DataOd"), false, zeroDate());
    ASSERT_NE(NodePath::find(root, QStringLiteral("DataOd"), false), nullptr);
    EXPECT_EQ(NodePath::readText(root, QStringLiteral("DataOd")), QString());
    NodePath::setDateOrRemove(&port, root, QStringLiteral("DataOd"), zeroDate());
    EXPECT_EQ(NodePath::find(root, QStringLiteral("DataOd"), false), nullptr);
    NodePath::setDateOrRemove(&port, root, QStringLiteral("DataDo"), QDate(2023, 9, 1));
    EXPECT_EQ(NodePath::readText(root, QStringLiteral("DataDo")), QStringLiteral("2023-09-01"));
    NodePath::setFloat(&port, root, QStringLiteral("P_13_1"), 2, -3.456);
    EXPECT_EQ(NodePath::readText(root, QStringLiteral("P_13_1")), QStringLiteral("-3.46"));
    NodePath::remove(&port, root, QStringLiteral("Faktura"));
    EXPECT_EQ(describe(NodePath::find(root, QStringLiteral("Faktura"), false)), QStringLiteral("f2"));
    EXPECT_TRUE(port.messages.isEmpty());
}

TEST(XmlServices, ParseErrorsCarryReasonLineAndSource)
{
    XmlError error;
    EXPECT_FALSE(Xml::parseText(QStringLiteral("<a>\n  <b>\n</a>"), &error));
    EXPECT_FALSE(error.reason.isEmpty());
    EXPECT_EQ(error.line, 3);
    EXPECT_EQ(error.sourceText, QStringLiteral("</a>"));
    // external entities are never substituted and the network is never reached
    XmlDocPtr doc =
        Xml::parseText(QStringLiteral("<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>&e;</a>"), &error);
    if (doc) {
        EXPECT_FALSE(Xml::elementText(xmlDocGetRootElement(doc.get())).contains(QStringLiteral("root:")));
    }
}

} // namespace
