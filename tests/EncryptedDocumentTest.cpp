// Encrypted documents: copies of corpus files that qpdf encrypts read as the originals, saved
// copies keep their protection, permissions hold without the owner password, new protection
// opens only with its passwords, and damaged encryption is refused with a message.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "content/FixedMeasuringCanvas.h"
#include "document/PdfDocument.h"
#include "pdfwrite/EncryptionDictionary.h"
#include "syntax/ObjectCipher.h"
#include "tests/CorpusFixture.h"
#include "tests/PageRenders.h"
#include "tests/ReaderTestSupport.h"
#include "tests/RecordingPort.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

struct Protection {
    const char* name;
    const char* qpdfArguments;
    const char* userPassword;
    bool changesDenied;
};

const Protection Protections[] = {
    {"RC4 40", "--allow-weak-crypto --encrypt '' owner 40 --", "", false},
    {"RC4 128", "--allow-weak-crypto --encrypt user owner 128 --use-aes=n --", "user", false},
    {"AES-128", "--encrypt user owner 128 --use-aes=y --", "user", false},
    {"AES-256", "--encrypt user owner 256 --modify=none --", "user", true},
    {"AES-128, clear metadata", "--encrypt user owner 128 --use-aes=y --cleartext-metadata --", "user", false},
};

// A table-based file with fonts, a picture and form fields, and one with a cross-reference
// stream, pictures and stamps.
const char* const Originals[] = {"pdfjs-issue12706-classic.pdf", "pdfjs-stamps.pdf"};

struct Facts {
    uint32_t pages = 0;
    uint32_t fonts = 0;
    uint32_t pictures = 0;
    std::vector<uint32_t> comments;
    std::vector<uint32_t> items;
    std::string title;
    bool operator==(const Facts&) const = default;
};

struct Opened {
    RecordingPort port;
    FixedMeasuringCanvas canvas;
    std::unique_ptr<PdfDocument> document = std::make_unique<PdfDocument>(port);

    Opened(const std::string& path, const std::string& password)
    {
        document->canvas = &canvas;
        document->password = password;
        document->openfilenow(path);
    }
    PdfDocument* operator->() { return document.get(); }

    Facts Read() const
    {
        Facts facts{document->pages.Count(), document->fonts.Count(), document->pictures.Count(), {}, {}, document->info.title};
        for (uint32_t i = 0; i < document->pages.Count(); ++i) facts.comments.push_back(document->pages.At(i)->comments->Count());
        facts.items = document->ItemCountsByPage();
        return facts;
    }
};

std::string Encrypt(const ScratchFolder& folder, const std::string& original, const Protection& protection)
{
    const std::string path = folder.File(std::string(protection.name) + ".pdf");
    const ToolRun run = RunTool("qpdf " + std::string(protection.qpdfArguments) + " " + ShellQuoted(original) + " " +
                                ShellQuoted(path));
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 3) << protection.name;
    return path;
}

// What qpdf tells of a file's encryption, opened with the password.
std::string EncryptionReport(const std::string& path, const std::string& password)
{
    return RunTool("qpdf --show-encryption --password=" + ShellQuoted(password) + " " + ShellQuoted(path)).output;
}

class EncryptedDocument : public CorpusFixture {};

TEST_F(EncryptedDocument, EncryptedCopiesReadAsTheOriginals)
{
    ScratchFolder folder;
    for (const char* name : Originals) {
        const std::string original = CorpusDir + "/" + name;
        const Facts plain = Opened(original, "").Read();
        ASSERT_GT(plain.pages, 0u) << name;
        for (const Protection& protection : Protections) {
            Opened opened(Encrypt(folder, original, protection), protection.userPassword);
            EXPECT_TRUE(opened->encrypted) << name << ", " << protection.name;
            EXPECT_TRUE(opened.port.messages.empty()) << name << ", " << protection.name;
            EXPECT_EQ(opened.Read(), plain) << name << ", " << protection.name;
            EXPECT_EQ(opened->ChangesAllowed(), !protection.changesDenied) << name << ", " << protection.name;
        }
        // Object streams of a file whose cross-reference information must be rebuilt are read
        // once they are decrypted.
        const Protection packed = {"packed", "--object-streams=generate --encrypt '' owner 256 --", "", false};
        std::string damaged = ReadBytes(Encrypt(folder, original, packed));
        damaged.replace(damaged.rfind("startxref"), 9, "startXref");
        Opened repaired(folder.Write("damaged.pdf", damaged), "");
        EXPECT_EQ(repaired.port.memo.front(), "Die Querverweise der Datei waren beschädigt; die Datei wurde repariert.");
        EXPECT_EQ(repaired.Read(), plain) << name << ", repaired";
    }
}

TEST_F(EncryptedDocument, SavedCopiesKeepTheirProtection)
{
    ScratchFolder folder;
    const std::string original = CorpusDir + "/" + Originals[0];
    const auto originalPictures = RenderPages(original, folder.File("original"), {{1, 1}});
    ASSERT_TRUE(originalPictures && originalPictures->count(1));
    for (const Protection& protection : Protections) {
        const std::string encrypted = Encrypt(folder, original, protection);
        const std::string user = protection.userPassword;
        // Unchanged in the table layout, retitled in the compact one.
        for (const bool retitled : {false, true}) {
            const std::string what = std::string(protection.name) + (retitled ? ", retitled" : ", unchanged");
            const std::string saved = folder.File(std::string(protection.name) + (retitled ? "-retitled.pdf" : "-saved.pdf"));
            {
                Opened opened(encrypted, "owner");
                ASSERT_EQ(opened->encryption.access, Access::Owner) << what;
                if (retitled) {
                    opened->info.title = "Neuer Titel";
                    opened->info.changedByUser = true;
                    opened->versionItem = FirstCompactVersionItem;
                }
                ASSERT_TRUE(opened->SavePDFNew(saved)) << what;
            }
            EXPECT_EQ(EncryptionReport(saved, user), EncryptionReport(encrypted, user)) << what;
            EXPECT_EQ(RunTool("qpdf --check --password=" + ShellQuoted(user) + " " + ShellQuoted(saved)).exitCode, 0) << what;
            const auto pictures = RenderPages(saved, folder.File("saved"), {{1, 1}}, "-upw " + ShellQuoted(user));
            ASSERT_TRUE(pictures && pictures->count(1)) << what;
            EXPECT_EQ(PictureDifference(originalPictures->at(1), pictures->at(1)), "") << what;
            // Metadata left readable stays so.
            const bool clearMetadata = std::string(protection.name).find("clear") != std::string::npos;
            EXPECT_EQ(ReadBytes(saved).find("<x:xmpmeta") != std::string::npos, clearMetadata) << what;

            Opened reread(saved, user);
            Facts expected = Opened(encrypted, user).Read();
            if (retitled) expected.title = "Neuer Titel";
            EXPECT_EQ(reread.Read(), expected) << what;
            EXPECT_EQ(reread->encryption.handler->Parameters().revision,
                      Opened(encrypted, user)->encryption.handler->Parameters().revision) << what;
        }
    }
}

TEST_F(EncryptedDocument, ChangesDeniedNeedTheOwnerPassword)
{
    ScratchFolder folder;
    const std::string encrypted = Encrypt(folder, CorpusDir + "/" + Originals[0], Protections[3]);
    const std::string target = folder.File("target.pdf");
    {
        Opened opened(encrypted, "user");
        EXPECT_EQ(opened->encryption.access, Access::User);
        EXPECT_FALSE(opened->ChangesAllowed());
        EXPECT_FALSE(opened->EncryptionChangeAllowed());
        // Unchanged it may be saved; a new title, or no protection, it may not.
        EXPECT_TRUE(opened->SavePDFNew(target));
        std::filesystem::remove(target);
        opened->passwordSettings.mode = PasswordSettings::Mode::Remove;
        EXPECT_FALSE(opened->SavePDFNew(target));
        opened->passwordSettings.mode = PasswordSettings::Mode::Keep;
        opened->info.title = "Anders";
        opened->info.changedByUser = true;
        EXPECT_FALSE(opened->SavePDFNew(target));
        EXPECT_FALSE(std::filesystem::exists(target));
        ASSERT_EQ(opened.port.messages.size(), 2u);
        EXPECT_EQ(opened.port.messages.back().text,
                  "Der Verfasser dieser PDF-Datei erlaubt keine Änderungen. Ohne das Kennwort für Änderungen kann sie nur "
                  "unverändert gespeichert werden.");
    }
    Opened owner(encrypted, "owner");
    owner->info.title = "Anders";
    owner->info.changedByUser = true;
    owner->passwordSettings.mode = PasswordSettings::Mode::Remove;
    ASSERT_TRUE(owner->SavePDFNew(target));
    EXPECT_NE(RunTool("qpdf --show-encryption " + ShellQuoted(target)).output.find("File is not encrypted"), std::string::npos);
    EXPECT_EQ(Opened(target, "").Read().title, "Anders");
}

TEST_F(EncryptedDocument, NewProtectionOpensOnlyWithItsPasswords)
{
    ScratchFolder folder;
    const std::string original = CorpusDir + "/" + Originals[1];
    std::vector<std::string> userEntries;
    // Readers before 1.7 with its extension level 8 cannot open AES-256: older versions are raised.
    for (const int version : {1, FirstCompactVersionItem, VersionCount - 1}) {
        const std::string saved = folder.File("protected-" + std::to_string(version) + ".pdf");
        {
            Opened opened(original, "");
            opened->versionItem = version;
            opened->passwordSettings = {PasswordSettings::Mode::Encrypt, "auf", "zu", PermitPrint | PermitCopy};
            ASSERT_TRUE(opened->SavePDFNew(saved));
        }
        const std::string report = EncryptionReport(saved, "auf");
        EXPECT_NE(report.find("R = 6"), std::string::npos) << report;
        EXPECT_NE(report.find("print high resolution: not allowed"), std::string::npos) << report;
        EXPECT_NE(report.find("extract for any purpose: not allowed"), std::string::npos) << report;
        EXPECT_NE(report.find("modify other: allowed"), std::string::npos) << report;
        EXPECT_EQ(RunTool("qpdf --check --password=auf " + ShellQuoted(saved)).exitCode, 0);
        EXPECT_NE(RunTool("qpdf --show-npages " + ShellQuoted(saved)).exitCode, 0);
        const bool versionTwo = version == VersionCount - 1;
        EXPECT_EQ(ReadBytes(saved).substr(0, 8), versionTwo ? "%PDF-2.0" : "%PDF-1.7");
        const std::string plain = folder.File("plain.pdf");
        ASSERT_EQ(RunTool("qpdf --password=auf --decrypt --qdf --object-streams=disable " + ShellQuoted(saved) + " " +
                          ShellQuoted(plain))
                      .exitCode,
                  0);
        EXPECT_EQ(ReadBytes(plain).find("/ExtensionLevel 8") != std::string::npos, !versionTwo);
        EXPECT_TRUE(RenderPages(saved, folder.File("ok"), {{1, 1}}, "-upw auf"));
        EXPECT_FALSE(RenderPages(saved, folder.File("no"), {{1, 1}}));

        Opened withoutPassword(saved, "");
        EXPECT_EQ(withoutPassword->pages.Count(), 0u);
        EXPECT_EQ(withoutPassword.port.MessageTexts(),
                  std::vector<std::string>{"Diese PDF-Datei ist durch ein Kennwort geschützt. Ohne das richtige Kennwort "
                                           "kann sie nicht geöffnet werden."});
        Opened user(saved, "auf");
        EXPECT_EQ(user.Read(), Opened(original, "").Read());
        EXPECT_EQ(user->encryption.access, Access::User);
        EXPECT_EQ(Opened(saved, "zu")->encryption.access, Access::Owner);
        userEntries.push_back(user->encryption.handler->Parameters().user);
    }
    // Every protection gets salts of its own.
    EXPECT_NE(userEntries[0], userEntries[1]);
    EXPECT_NE(userEntries[1], userEntries[2]);
}

// A one-page document encrypted by our own handler, with a text string and a content stream;
// `data` replaces the content stream's encrypted data when given, `streamEntries` go into its
// dictionary.
std::string OwnEncryptedDocument(const SecurityHandler& handler, const std::string& encryptEntries,
                                 const std::string* data = nullptr, const std::string& streamEntries = "")
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R] /Count 1", {});
    builder.objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>");
    const std::string content = handler.EncryptStream("0 0 1 rg 10 10 50 50 re f", 4, 0);
    builder.objects.push_back(StreamObject(streamEntries, data ? *data : content));
    builder.objects.push_back("<< /Title " + HexStringText(handler.EncryptString("Geheim", 5, 0)) + " >>");
    builder.objects.push_back(encryptEntries);
    builder.trailerEntries = "/Root 1 0 R /Info 5 0 R /Encrypt 6 0 R /ID [<00112233> <00112233>]";
    return builder.Build();
}

TEST(EncryptedDocumentInMemory, OwnProtectionReadsAndDamageIsNamed)
{
    const SecurityHandler handler = SecurityHandler::CreateAes256("", "zu", -4);
    const std::string dictionary = EncryptionDictionaryText(handler.Parameters());
    OpenedDocument good(OwnEncryptedDocument(handler, dictionary));
    EXPECT_EQ(good->info.title, "Geheim");
    EXPECT_EQ(good->ItemCountsByPage(), std::vector<uint32_t>{1});
    EXPECT_TRUE(good.port.messages.empty());
    // /P written unsigned means the same bits, and /Perms agrees with them.
    std::string unsigned_ = dictionary;
    unsigned_.replace(unsigned_.find("/P -4"), 5, "/P 4294967292");
    OpenedDocument unsignedPermissions(OwnEncryptedDocument(handler, unsigned_));
    EXPECT_EQ(unsignedPermissions->info.title, "Geheim");
    EXPECT_EQ(unsignedPermissions->encryption.handler->Parameters().permissions, -4);
    EXPECT_TRUE(unsignedPermissions->encryption.handler->PermsAgree());

    // A stream with an identity crypt filter of its own is not encrypted.
    const std::string plainContent = "0 0 1 rg 10 10 50 50 re f";
    OpenedDocument ownFilter(OwnEncryptedDocument(handler, dictionary, &plainContent,
                                                  "/Filter [/Crypt] /DecodeParms [<< /Name /Identity >>]"));
    EXPECT_EQ(ownFilter->ItemCountsByPage(), std::vector<uint32_t>{1});

    // AES data that is no whole number of blocks: the stream stays empty, the rest is read.
    const std::string broken = "0123456789abcdefXYZ";
    OpenedDocument damaged(OwnEncryptedDocument(handler, dictionary, &broken));
    EXPECT_EQ(damaged->info.title, "Geheim");
    EXPECT_EQ(damaged->pages.Count(), 1u);
    EXPECT_EQ(damaged->ItemCountsByPage(), std::vector<uint32_t>{0});
    EXPECT_NE(std::find(damaged.port.memo.begin(), damaged.port.memo.end(),
                        "Die Daten von Objekt 4 konnten nicht entschlüsselt werden und bleiben leer."),
              damaged.port.memo.end());
}

// Streams choose their crypt filter: by a /Crypt filter of their own, by /EFF for embedded
// files, else by /StmF, here the identity. qpdf reads each as meant in the file, in our save that
// keeps the protection and in our save without it.
TEST_F(EncryptedDocument, EachStreamKeepsTheCryptFilterItChooses)
{
    const SecurityHandler handler = SecurityHandler::CreateAes256("", "zu", -4);
    std::string dictionary = EncryptionDictionaryText(handler.Parameters());
    dictionary.replace(dictionary.find("/StmF /StdCF"), 12, "/StmF /Identity /EFF /StdCF");
    const auto aes = [&](const std::string& text, int32_t number) {
        return handler.Encrypt(CryptMethod::AESV3, text, number, 0);
    };
    const auto string = [&](const std::string& text, int32_t number) {
        return HexStringText(handler.EncryptString(text, number, 0));
    };
    const std::string content = "0 0 1 rg 10 10 50 50 re f";
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R] /Count 1", {});
    builder.objects[0] = "<< /Type /Catalog /Pages 2 0 R /Names << /EmbeddedFiles << /Names [" + string("a", 1) +
                         " 10 0 R] >> >> /Hinweis 8 0 R /Neun 9 0 R >>";
    builder.objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>");
    builder.objects.push_back(
        StreamObject("/Filter /Crypt /DecodeParms << /Type /CryptFilterDecodeParms /Name /StdCF >>", aes(content, 4)));
    builder.objects.push_back("<< /Title " + string("Geheim", 5) + " >>");
    builder.objects.push_back(dictionary);
    builder.objects.push_back(StreamObject("/Type /EmbeddedFile", aes("Anhang", 7)));
    builder.objects.push_back(StreamObject("/Note " + string("Hinweis", 8), "Klartext"));
    builder.objects.push_back(StreamObject("/Filter [/Crypt] /DecodeParms [<< /Name /StdCF >>]", aes("Neun", 9)));
    builder.objects.push_back("<< /Type /Filespec /F " + string("anhang.txt", 10) + " /EF << /F 7 0 R >> >>");
    builder.trailerEntries = "/Root 1 0 R /Info 5 0 R /Encrypt 6 0 R /ID [<00112233> <00112233>]";

    ScratchFolder folder;
    const std::string original = folder.Write("filter.pdf", builder.Build());
    // Saved with the protection kept, and without it (after the kept one, read again).
    const std::string saved = folder.File("saved.pdf"), plain = folder.File("plain.pdf");
    {
        Opened opened(original, "zu");
        EXPECT_TRUE(opened.port.messages.empty());
        EXPECT_EQ(opened->info.title, "Geheim");
        EXPECT_EQ(opened->ItemCountsByPage(), std::vector<uint32_t>{1});
        ASSERT_TRUE(opened->SavePDFNew(saved));
    }
    {
        Opened opened(saved, "zu");
        EXPECT_EQ(opened->ItemCountsByPage(), std::vector<uint32_t>{1});
        opened->passwordSettings.mode = PasswordSettings::Mode::Remove;
        ASSERT_TRUE(opened->SavePDFNew(plain));
    }
    for (const std::string& path : {original, saved, plain}) {
        const auto object = [&](int number, const char* options) {
            return RunTool("qpdf --password=zu " + std::string(options) + " --show-object=" + std::to_string(number) + " " +
                           ShellQuoted(path)).output;
        };
        EXPECT_EQ(object(4, "--filtered-stream-data"), content) << path;
        EXPECT_EQ(object(8, "--filtered-stream-data"), "Klartext") << path;
        EXPECT_EQ(object(9, "--filtered-stream-data"), "Neun") << path;
        EXPECT_NE(object(8, "").find("/Note (Hinweis)"), std::string::npos) << path;
    }
    // qpdf does not take /EFF for the embedded file; in the save without protection it is plain.
    EXPECT_EQ(RunTool("qpdf --filtered-stream-data --show-object=7 " + ShellQuoted(plain)).output, "Anhang");
}

TEST(EncryptedDocumentInMemory, UnusableEncryptionIsRefusedWithAMessage)
{
    const SecurityHandler handler = SecurityHandler::CreateAes256("", "zu", -4);
    const EncryptionParameters& good = handler.Parameters();
    auto with = [&](auto change) {
        EncryptionParameters parameters = good;
        change(parameters);
        return EncryptionDictionaryText(parameters);
    };
    const std::string legacy = "<< /Filter /Standard /V 2 /R 3 /O <" + std::string(64, 'A') + "> /U <" +
                               std::string(64, 'B') + "> /P -4 /Length ";
    const struct {
        std::string dictionary;
        std::string message;
    } cases[] = {
        {with([](EncryptionParameters& p) { p.owner.resize(40); }),
         "Die Verschlüsselungsangaben dieser PDF-Datei sind beschädigt (/O hat die falsche Länge)."},
        {with([](EncryptionParameters& p) { p.userKey.clear(); }),
         "Die Verschlüsselungsangaben dieser PDF-Datei sind beschädigt (/UE hat die falsche Länge)."},
        {with([](EncryptionParameters& p) { p.perms.resize(8); }),
         "Die Verschlüsselungsangaben dieser PDF-Datei sind beschädigt (/Perms hat die falsche Länge)."},
        {with([](EncryptionParameters& p) { p.keyBytes = 64; }),
         "Die Verschlüsselungsangaben dieser PDF-Datei sind beschädigt (/Length 512 ist keine gültige Schlüssellänge)."},
        {with([](EncryptionParameters& p) { p.revision = 7; }),
         "Diese PDF-Datei verwendet ein unbekanntes Verschlüsselungsverfahren (Revision 7)."},
        {"<< /Filter /FooSecurity /V 2 /R 3 >>",
         "Diese PDF-Datei ist mit einem unbekannten Verfahren verschlüsselt (/Filter /FooSecurity) und kann nicht "
         "gelesen werden."},
        {legacy + "41 >>", "Die Verschlüsselungsangaben dieser PDF-Datei sind beschädigt (/Length 41 ist keine gültige "
                           "Schlüssellänge)."},
        {legacy + "512 >>", "Die Verschlüsselungsangaben dieser PDF-Datei sind beschädigt (/Length 512 ist keine "
                            "gültige Schlüssellänge)."},
    };
    for (const auto& [dictionary, message] : cases) {
        OpenedDocument opened(OwnEncryptedDocument(handler, dictionary));
        EXPECT_TRUE(opened->invalid) << dictionary;
        EXPECT_EQ(opened->pages.Count(), 0u) << dictionary;
        EXPECT_EQ(opened.port.MessageTexts(), std::vector<std::string>{message}) << dictionary;
    }

    // A password of 100 MB is cut before it is hashed, and is wrong.
    RecordingPort port;
    PdfDocument document(port);
    document.password.assign(size_t{100} << 20, 'x');
    document.OpenBytes(Bytes(OwnEncryptedDocument(handler, EncryptionDictionaryText(good))), "gross.pdf");
    EXPECT_EQ(port.MessageTexts(), std::vector<std::string>{"Das Kennwort ist falsch. Die PDF-Datei wurde nicht geöffnet."});
    EXPECT_TRUE(document.password.empty());
}

}  // namespace
}  // namespace folivo::test
