// The XMP packet: dates and author lists converted both ways, a realistic packet read, updated
// and read back with everything else kept.
#include <gtest/gtest.h>

#include "model/XmpMetadata.h"

namespace folivo::test {
namespace {

using Names = std::vector<std::string>;

TEST(XmpDates, PdfDatesBecomeIsoDatesOfTheSamePrecision)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"D:2024", "2024"}, {"D:202401", "2024-01"}, {"D:20240229", "2024-02-29"},
        {"D:2024010510", "2024-01-05T10:00"},  // XMP has no time without minutes
        {"D:20240105102030", "2024-01-05T10:20:30"}, {"D:20240105102030Z", "2024-01-05T10:20:30Z"},
        {"D:20240105102030Z00'00'", "2024-01-05T10:20:30Z"}, {"D:202401051020+01'00'", "2024-01-05T10:20+01:00"},
        {"D:20240105102030-05'30", "2024-01-05T10:20:30-05:30"}, {"D:20240105102030+01", "2024-01-05T10:20:30+01:00"},
        {"D:20240105+01'00'", "2024-01-05"}};
    for (const auto& [pdf, xmp] : cases) EXPECT_EQ(PdfDateToXmp(pdf), xmp) << pdf;
    for (const char* bad : {"", "D:", "2024", "D:24", "D:2024013", "D:20241301", "D:20230229", "D:20240431",
                            "D:2024010524", "D:20240105106000", "D:20240105102030+25'00'", "D:20240105102030X",
                            "D:2024O1", "D:20240105102030+01'00'x", "D:20240105102030+01'6"})
        EXPECT_EQ(PdfDateToXmp(bad), std::nullopt) << bad;
}

TEST(XmpDates, IsoDatesBecomePdfDatesAndBack)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"2024", "D:2024"}, {"2024-01", "D:202401"}, {"2024-01-05", "D:20240105"},
        {"2024-01-05T10:20", "D:202401051020"}, {"2024-01-05T10:20:30Z", "D:20240105102030Z"},
        {"2024-01-05T10:20-08:00", "D:202401051020-08'00'"}, {"2024-01-05T10:20:30+05:45", "D:20240105102030+05'45'"}};
    for (const auto& [xmp, pdf] : cases) {
        EXPECT_EQ(XmpDateToPdf(xmp), pdf) << xmp;
        EXPECT_EQ(PdfDateToXmp(pdf), xmp) << pdf;
    }
    EXPECT_EQ(XmpDateToPdf("2024-01-05T10:20:30.125+01:00"), "D:20240105102030+01'00'");
    for (const char* bad : {"", "24", "2024-1-05", "2024-13", "2023-02-29", "2024-01-05T10", "2024-01-05T24:00",
                            "2024-01-05T10:20:30.", "2024-01-05T10:20+0100", "2024-01-05Z", "2024-01-05 10:20",
                            "2024-01T10:20", "2024-01-05T10:20:30+01:00x"})
        EXPECT_EQ(XmpDateToPdf(bad), std::nullopt) << bad;
}

TEST(XmpAuthors, SplitOnlyWhereTheTextIsAList)
{
    const std::vector<std::pair<std::string, Names>> cases = {
        {"Anna Berg; Carl Dorn", {"Anna Berg", "Carl Dorn"}},
        {"Berg, Anna; Dorn, Carl", {"Berg, Anna", "Dorn, Carl"}},
        {" Anna Berg ,  Carl Dorn ", {"Anna Berg", "Carl Dorn"}},
        {"Anna Berg, Carl Dorn und Eva Falk", {"Anna Berg", "Carl Dorn", "Eva Falk"}},
        {"Anna Berg, Carl Dorn, and Eva Falk", {"Anna Berg", "Carl Dorn", "Eva Falk"}},
        {"Anna Berg, Carl Dorn & Sons", {"Anna Berg", "Carl Dorn & Sons"}},
        {"Berg, Anna", {"Berg, Anna"}}, {"Anna Berg, PhD", {"Anna Berg, PhD"}},
        {"Müller & Söhne GmbH", {"Müller & Söhne GmbH"}}, {"Anna Berg und Carl Dorn", {"Anna Berg und Carl Dorn"}},
        {"Anna Berg;", {"Anna Berg"}}, {"", {}}, {" ; ", {}}};
    for (const auto& [text, names] : cases) {
        EXPECT_EQ(SplitAuthors(text), names) << text;
        EXPECT_EQ(SplitAuthors(JoinAuthors(names)), names) << text;
    }
}

TEST(XmpAuthors, JoinPrefersCommasWhileTheySplitBack)
{
    EXPECT_EQ(JoinAuthors({"Anna Berg", "Carl Dorn"}), "Anna Berg, Carl Dorn");
    EXPECT_EQ(JoinAuthors({"Berg, Anna", "Dorn, Carl"}), "Berg, Anna; Dorn, Carl");
    EXPECT_EQ(JoinAuthors({"Anna", "Carl"}), "Anna; Carl");
    EXPECT_EQ(JoinAuthors({"Anna Berg", "Carl Dorn und Eva Falk"}), "Anna Berg; Carl Dorn und Eva Falk");
    EXPECT_EQ(JoinAuthors({"Berg, Anna"}), "Berg, Anna");
}

// A packet as an archiving producer writes it: attribute shorthand, a title whose first language
// is not x-default, PDF/A identification with its extension schema and a custom property.
const std::string ArchivePacket = R"(<?xpacket begin="﻿" id="W5M0MpCehiHzreSzNTczkc9d"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about="" xmlns:pdf="http://ns.adobe.com/pdf/1.3/" xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    pdf:Producer="Setzer 3.1" xmp:CreatorTool="Schreibwerk" pdf:Keywords="Bilanz, 2023"
    xmp:CreateDate="2023-11-30T08:15:00+01:00" xmp:ModifyDate="2024-01-05T10:20:30.5Z"/>
  <rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">
   <dc:title><rdf:Alt><rdf:li xml:lang="de">Jahresbericht</rdf:li>
    <rdf:li xml:lang="x-default">Annual Report</rdf:li></rdf:Alt></dc:title>
   <dc:creator><rdf:Seq><rdf:li>Anna Berg</rdf:li><rdf:li>Carl Dorn</rdf:li></rdf:Seq></dc:creator>
   <dc:description><rdf:Alt><rdf:li xml:lang="en">Figures</rdf:li></rdf:Alt></dc:description>
  </rdf:Description>
  <rdf:Description rdf:about="" xmlns:pdfaid="http://www.aiim.org/pdfa/ns/id/" pdfaid:part="2" pdfaid:conformance="B"/>
  <rdf:Description rdf:about="" xmlns:pdfaExtension="http://www.aiim.org/pdfa/ns/extension/"
    xmlns:pdfaSchema="http://www.aiim.org/pdfa/ns/schema#" xmlns:pdfaProperty="http://www.aiim.org/pdfa/ns/property#">
   <pdfaExtension:schemas><rdf:Bag><rdf:li rdf:parseType="Resource">
    <pdfaSchema:namespaceURI>http://example.com/archiv/1.0/</pdfaSchema:namespaceURI>
    <pdfaSchema:prefix>archiv</pdfaSchema:prefix>
    <pdfaSchema:property><rdf:Seq><rdf:li rdf:parseType="Resource">
     <pdfaProperty:name>Signatur</pdfaProperty:name><pdfaProperty:valueType>Text</pdfaProperty:valueType>
    </rdf:li></rdf:Seq></pdfaSchema:property>
   </rdf:li></rdf:Bag></pdfaExtension:schemas>
  </rdf:Description>
  <rdf:Description rdf:about="" xmlns:archiv="http://example.com/archiv/1.0/" archiv:Signatur="K-17/2023"/>
 </rdf:RDF>
</x:xmpmeta>
<?xpacket end="w"?>)";

TEST(XmpPacket, ReadsEveryField)
{
    const auto info = ReadXmpInformation(ArchivePacket);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->title, "Annual Report");
    EXPECT_EQ(info->subject, "Figures");  // no x-default: the first language
    EXPECT_EQ(info->author, "Anna Berg, Carl Dorn");
    EXPECT_EQ(info->keywords, "Bilanz, 2023");
    EXPECT_EQ(info->creator, "Schreibwerk");
    EXPECT_EQ(info->producer, "Setzer 3.1");
    EXPECT_EQ(info->created, "D:20231130081500+01'00'");
    EXPECT_EQ(info->modified, "D:20240105102030Z");
}

TEST(XmpPacket, UpdateChangesTheFieldsAndKeepsTheRest)
{
    XmpUpdate update;
    update.author = "Berg, Anna; Dorn, Carl";
    update.subject = "Zahlen";
    update.creator = "Folivo";
    update.producer = "Setzer 3.2";
    update.created = "D:20231130081500+01'00'";
    update.metadataDate = "D:20240301120000Z";
    const auto packet = UpdatedXmpPacket(ArchivePacket, update);
    ASSERT_TRUE(packet);
    EXPECT_TRUE(packet->starts_with("<?xpacket begin="));
    EXPECT_TRUE(packet->ends_with("<?xpacket end=\"w\"?>"));
    for (const char* kept : {"pdfaid:part", "pdfaid:conformance", "pdfaExtension:schemas", "K-17/2023"})
        EXPECT_NE(packet->find(kept), std::string::npos) << kept;
    // The empty title, keywords and absent date go; the old authors are replaced, not added to.
    for (const char* gone : {"dc:title", "pdf:Keywords", "xmp:ModifyDate", "Carl Dorn"})
        EXPECT_EQ(packet->find(gone), std::string::npos) << gone;
    EXPECT_NE(packet->find("2024-03-01T12:00:00Z"), std::string::npos);

    const auto info = ReadXmpInformation(*packet);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->title, std::nullopt);
    EXPECT_EQ(info->author, "Berg, Anna; Dorn, Carl");
    EXPECT_EQ(info->subject, "Zahlen");
    EXPECT_EQ(info->keywords, std::nullopt);
    EXPECT_EQ(info->creator, "Folivo");
    EXPECT_EQ(info->producer, "Setzer 3.2");
    EXPECT_EQ(info->created, "D:20231130081500+01'00'");
    EXPECT_EQ(info->modified, std::nullopt);
}

TEST(XmpPacket, NewTitleReplacesTheDefaultLanguage)
{
    XmpUpdate update;
    update.title = "Bericht 2023";
    const auto packet = UpdatedXmpPacket(ArchivePacket, update);
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->find("Annual Report"), std::string::npos);
    EXPECT_EQ(ReadXmpInformation(*packet)->title, "Bericht 2023");
}

TEST(XmpPacket, EmptyOldPacketGivesANewOne)
{
    XmpUpdate update;
    update.title = "Bericht";
    update.author = "Anna Berg";
    update.modified = "D:20240105Z";
    const auto packet = UpdatedXmpPacket("", update);
    ASSERT_TRUE(packet);
    const auto info = ReadXmpInformation(*packet);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->title, "Bericht");
    EXPECT_EQ(info->author, "Anna Berg");
    EXPECT_EQ(info->modified, "D:20240105");
    EXPECT_EQ(info->producer, std::nullopt);
}

TEST(XmpPacket, BrokenXmlIsRefused)
{
    const std::string broken = ArchivePacket.substr(0, ArchivePacket.find("<dc:creator>") + 20);
    EXPECT_EQ(ReadXmpInformation(broken), std::nullopt);
    EXPECT_EQ(UpdatedXmpPacket(broken, XmpUpdate{}), std::nullopt);
    EXPECT_EQ(ReadXmpInformation("no xml at all"), std::nullopt);
}

}  // namespace
}  // namespace folivo::test
