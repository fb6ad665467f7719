// What other readers see of a save: the XMP packet in step with the information dictionary (or
// kept byte for byte), and the trailer's file identifier.
#include <gtest/gtest.h>

#include <string>

#include "document/DocumentWriter.h"
#include "model/XmpMetadata.h"
#include "tests/ReaderTestSupport.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

const std::string Packet =
    "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
    "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
    " xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
    " pdfaid:part=\"1\" pdfaid:conformance=\"B\" xmp:CreatorTool=\"Setzer\" xmp:CreateDate=\"2024-01-05T10:20+01:00\">\n"
    "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Titel aus XMP</rdf:li></rdf:Alt></dc:title>\n"
    "<dc:creator><rdf:Seq><rdf:li>Anna Berg</rdf:li></rdf:Seq></dc:creator>\n"
    "</rdf:Description></rdf:RDF></x:xmpmeta>\n"
    "<?xpacket end=\"w\"?>";

// A one-page document whose catalog names the packet (object 5); its information dictionary
// (object 6) holds `information`.
std::string WithMetadata(const std::string& packet, const std::string& information,
                         const std::string& trailer = "")
{
    PdfBuilder builder = DocumentWithPages(
        "/Kids [3 0 R] /Count 1",
        {"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>", StreamObject("", "0 0 m 9 9 l S"),
         StreamObject("/Type /Metadata /Subtype /XML", packet), "<< " + information + " >>"});
    if (!packet.empty()) builder.objects[0] = "<< /Type /Catalog /Pages 2 0 R /Metadata 5 0 R >>";
    builder.trailerEntries = "/Root 1 0 R /Info 6 0 R " + trailer;
    return builder.Build();
}

std::string ObjectText(const std::string& file, const std::string& header)
{
    const size_t start = file.find(header);
    if (start == std::string::npos) return "";
    return file.substr(start, file.find("endobj", start) + 6 - start);
}

XmpInformation PacketOf(PdfDocument& document)
{
    EXPECT_TRUE(document.metadataPacket.has_value());
    return ReadXmpInformation(document.metadataPacket.value_or("")).value_or(XmpInformation{});
}

TEST(XmpMetadata, FillsWhatTheInformationDictionaryLacks)
{
    OpenedDocument opened(WithMetadata(Packet, "/Title (Info-Titel) /Producer (Druckwerk) /Author ()"));
    const InfoFields& info = opened->info;
    EXPECT_EQ(info.title, "Info-Titel");
    EXPECT_EQ(info.sources.title, InfoSource::Dictionary);
    EXPECT_EQ(info.author, "Anna Berg");  // empty in the dictionary
    EXPECT_EQ(info.sources.author, InfoSource::Xmp);
    EXPECT_EQ(info.creator, "Setzer");
    EXPECT_EQ(info.sources.creator, InfoSource::Xmp);
    EXPECT_EQ(info.sources.producer, InfoSource::Dictionary);
    EXPECT_EQ(info.sources.subject, InfoSource::None);
    // A date to the minute, completed to the second, with its zone.
    EXPECT_EQ(info.sources.created, InfoSource::Xmp);
    EXPECT_EQ(info.createdAsRead.text, "D:20240105102000+01'00'");
}

TEST(XmpMetadata, AnUnchangedDocumentKeepsItsPacketAndAChangedOneUpdatesIt)
{
    const std::string input = WithMetadata(Packet, "/Title (Alt)");
    const std::string stream = ObjectText(input, "5 0 obj");
    OpenedDocument opened(input);
    EXPECT_NE(DocumentWriter(*opened.document).Write().find(stream), std::string::npos);

    opened->info.title = "Neuer Titel";
    opened->info.author = "Anna Berg, Carl Dorn";
    opened->info.createdDate = {2024, 1, 5};
    opened->info.createdTime = {10, 20, 30};
    opened->info.createdPresent = true;
    opened->info.changedByUser = true;
    DocumentWriter writer(*opened.document);
    const std::string saved = writer.Write();
    EXPECT_TRUE(writer.Warnings().empty());
    // Uncompressed, under the number the catalog names.
    EXPECT_NE(ObjectText(saved, "5 0 obj").find("<< /Type /Metadata /Subtype /XML /Length"), std::string::npos);

    OpenedDocument reopened(saved);
    const XmpInformation xmp = PacketOf(*reopened.document);
    EXPECT_EQ(xmp.title, "Neuer Titel");
    EXPECT_EQ(xmp.author, "Anna Berg, Carl Dorn");
    EXPECT_EQ(xmp.creator, "Setzer");  // what the information lacks stays
    // The two dates agree, zone included.
    ASSERT_TRUE(xmp.created.has_value());
    EXPECT_EQ(*xmp.created, reopened->info.createdAsRead.text);
    EXPECT_NE(reopened->metadataPacket->find("pdfaid:part"), std::string::npos);
}

TEST(XmpMetadata, AnUnreadablePacketStaysAsItWasWithAWarning)
{
    const std::string input = WithMetadata("<x:xmpmeta><rdf:RDF><oops", "/Title (Alt)");
    OpenedDocument opened(input);
    EXPECT_EQ(opened->info.title, "Alt");
    opened->info.title = "Neu";
    opened->info.changedByUser = true;
    DocumentWriter writer(*opened.document);
    const std::string saved = writer.Write();
    ASSERT_EQ(writer.Warnings().size(), 1u);
    EXPECT_NE(writer.Warnings()[0].find("XMP-Metadaten"), std::string::npos);
    EXPECT_NE(saved.find(ObjectText(input, "5 0 obj")), std::string::npos);
    EXPECT_EQ(OpenedDocument(saved)->info.title, "Neu");
}

TEST(XmpMetadata, OnlyVersionTwoGetsANewPacket)
{
    for (const int version : {5, 6}) {
        OpenedDocument opened(WithMetadata("", "/Title (Ohne XMP)"));
        opened->versionItem = version;
        OpenedDocument reopened(DocumentWriter(*opened.document).Write());
        EXPECT_EQ(reopened->metadataReference.found, version == 6) << VersionTexts[version];
        if (version == 6) {
            EXPECT_EQ(PacketOf(*reopened.document).title, "Ohne XMP");
        }
    }
}

TEST(XmpMetadata, EncryptedLikeEveryStreamUnlessTheFileKeepsItClear)
{
    if (!ToolWorks("qpdf --version")) GTEST_SKIP() << "qpdf is missing";
    ScratchFolder folder;
    folder.Write("plain.pdf", WithMetadata(Packet, "/Title (Alt)"));
    for (const bool clear : {true, false}) {
        const std::string input = folder.File("encrypted.pdf");
        ASSERT_EQ(RunTool("qpdf --encrypt u o 128 --use-aes=y " + std::string(clear ? "--cleartext-metadata " : "") +
                          "-- " + ShellQuoted(folder.File("plain.pdf")) + " " + ShellQuoted(input))
                      .exitCode,
                  0);
        for (const bool append : {false, true}) {
            RecordingPort port;
            PdfDocument document(port);
            document.password = "o";
            document.openfilenow(input);
            document.info.title = "Klartitel";
            document.info.changedByUser = true;
            document.appendChanges = append;
            const std::string saved = DocumentWriter(document).Write();
            EXPECT_EQ(saved.find("Klartitel") != std::string::npos, clear) << clear << append;
        }
    }
}

TEST(FileIdentifier, FirstElementKeptSecondNewWhenChanged)
{
    const std::string withIds = WithMetadata("", "/Title (A)", "/ID [<0102> <0304>]");
    struct Case {
        const char* name;
        std::string input;
        bool change;
    };
    const Case cases[] = {{"unchanged", withIds, false}, {"changed", withIds, true}, {"none read", WithMetadata("", ""), false}};
    for (const Case& c : cases) {
        OpenedDocument opened(c.input);
        opened->info.changedByUser = c.change;
        OpenedDocument reopened(DocumentWriter(*opened.document).Write());
        const std::vector<std::string>& ids = reopened->fileIds;
        ASSERT_EQ(ids.size(), 2u) << c.name;
        if (opened->fileIds.empty()) {
            EXPECT_EQ(ids[0].size(), 16u) << c.name;
            EXPECT_EQ(ids[0], ids[1]) << c.name;
            continue;
        }
        EXPECT_EQ(ids[0], "\x01\x02") << c.name;
        EXPECT_EQ(ids[1] == "\x03\x04", !c.change) << c.name;
    }
}

}  // namespace
}  // namespace folivo::test
