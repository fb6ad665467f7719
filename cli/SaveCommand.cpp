// folivo-cli save: opens a file as the window would, applies the options and saves it as a
// complete new PDF file.
#include "cli/SaveCommand.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "cli/CommandSession.h"
#include "model/TextStrings.h"
#include "pdfwrite/InformationFields.h"
#include "view/PageRenderer.h"
#include "view/QtOutlineFontMetrics.h"

namespace folivo::cli {

namespace {

constexpr const char* Usage =
    "Aufruf: folivo-cli save DATEI -o ZIEL [OPTIONEN]\n"
    "Öffnet DATEI wie das Programm, wendet die Optionen an und speichert eine neue PDF-Datei ZIEL.\n"
    "  --version 1.2|1.3|1.4|1.5|1.6|1.7|2.0   PDF-Version (Vorgabe: die gelesene)\n"
    "  --producer TEXT, --creator TEXT, --author TEXT, --title TEXT, --subject TEXT, --keywords TEXT\n"
    "  --created \"JJJJ-MM-TT HH:MM:SS\"   Erstellungsdatum\n"
    "  --modified \"JJJJ-MM-TT HH:MM:SS\"|now   Änderungsdatum\n"
    "  --font \"FAMILIE[,bold][,italic]\"   Darstellungsschrift (Vorgabe: Arial)\n"
    "  --protect     Dateischutz hinzufügen\n"
    "  --append      Änderungen an eine Kopie der Originaldatei anhängen (Signaturen bleiben gültig)\n"
    "  --encrypt-user KENNWORT   Kennwortschutz (AES-256): Kennwort zum Öffnen (darf leer sein)\n"
    "  --encrypt-owner KENNWORT  Kennwortschutz: Kennwort für Änderungen (nötig)\n"
    "  --deny print,modify,copy,annotate   Kennwortschutz: verbotene Vorgänge\n"
    "  --decrypt     Kennwortschutz entfernen (mit dem Kennwort für Änderungen)\n"
    "  --password KENNWORT  Kennwort einer verschlüsselten Datei\n"
    "  --no-images   Bilder nicht einlesen\n";

// The zoom and resolution of the page view that the protection lays pages out in.
constexpr int PageViewZoom = 50;
constexpr int PageViewResolution = 96;

bool ParseDateTime(const std::string& text, CivilDate& date, CivilTime& time)
{
    int values[6];
    char tail;
    if (text.size() != 19 || std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &values[0], &values[1], &values[2],
                                         &values[3], &values[4], &values[5], &tail) != 6)
        return false;
    // The reader's date rules decide what a valid date and time are.
    char pdfDate[32];
    std::snprintf(pdfDate, sizeof pdfDate, "D:%04d%02d%02d%02d%02d%02d", values[0], values[1], values[2], values[3],
                  values[4], values[5]);
    CivilDate newDate{0, 0, 0};
    CivilTime newTime{-1, -1, -1};
    ApplyPdfDate(pdfDate, newDate, newTime);
    if (newDate.year == 0 || newTime.hour < 0) return false;
    date = newDate;
    time = newTime;
    return true;
}

struct SaveOptions {
    CommandOptions common;
    std::string output;
    int versionItem = -1;
    std::map<std::string, std::string> texts;  // option name → UTF-8 text
    std::string created;
    std::string modified;
    bool protect = false;
    bool append = false;
    std::optional<std::string> encryptUser;
    std::optional<std::string> encryptOwner;
    std::optional<std::string> deny;
    bool decrypt = false;
};

// The permission bits that a --deny list takes away; empty for an unknown name.
std::optional<int32_t> DeniedPermissions(const std::string& list)
{
    static const std::map<std::string, int32_t> names = {
        {"print", PermitPrint}, {"modify", PermitModify}, {"copy", PermitCopy}, {"annotate", PermitAnnotate}};
    int32_t denied = 0;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        const auto name = names.find(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (name == names.end()) return std::nullopt;
        denied |= name->second;
        if (comma == std::string::npos) return denied;
        start = comma + 1;
    }
}

// The table that fills `options`; it must not outlive them.
OptionTable SaveOptionTable(SaveOptions& options)
{
    OptionTable table("save", Usage);
    AddDocumentOptions(table, options.common, false);
    table.Flag("--protect", options.protect);
    table.Flag("--decrypt", options.decrypt);
    table.Flag("--append", options.append);
    table.Text("-o", options.output, MissingValue::Named);
    table.Value("--version", MissingValue::Named, [&options](const std::string& value) -> OptionError {
        for (int item = 0; item < VersionCount; ++item) {
            if (value == VersionTexts[item]) {
                options.versionItem = item;
                return std::nullopt;
            }
        }
        return "unbekannte Version " + value;
    });
    for (const char* name : {"--producer", "--creator", "--author", "--title", "--subject", "--keywords"}) {
        table.Value(name, MissingValue::Named, [&options, name](const std::string& value) {
            options.texts[name] = value;
            return OptionError();
        });
    }
    table.Text("--created", options.created, MissingValue::Named);
    table.Text("--modified", options.modified, MissingValue::Named);
    table.Text("--encrypt-user", options.encryptUser, MissingValue::Named);
    table.Text("--encrypt-owner", options.encryptOwner, MissingValue::Named);
    table.Text("--deny", options.deny, MissingValue::Named);
    return table;
}

// Why options that were each read well do not go together; empty when they do.
OptionError Conflict(const SaveOptions& options)
{
    if (options.common.path.empty() || options.output.empty()) return "DATEI und -o ZIEL angeben";
    const bool protecting = options.encryptUser || options.encryptOwner || options.deny;
    if (protecting && (!options.encryptOwner || options.encryptOwner->empty()))
        return "der Kennwortschutz braucht --encrypt-owner KENNWORT";
    if (protecting && options.decrypt) return "--decrypt und --encrypt-... schließen einander aus";
    if (options.append && (options.versionItem != -1 || protecting || options.decrypt)) {
        return "beim Anhängen (--append) bleiben PDF-Version und Kennwortschutz, wie sie sind; "
               "--version, --encrypt-... und --decrypt gehen nur beim Speichern als neue Datei";
    }
    if (options.deny && !DeniedPermissions(*options.deny)) return "--deny kennt nur print, modify, copy und annotate";
    return std::nullopt;
}

// Applies the field options; false when a date has the wrong form.
bool ApplyFields(const SaveOptions& options, InfoFields& info)
{
    const std::map<std::string, std::string*> fields = {
        {"--producer", &info.producer}, {"--creator", &info.creator}, {"--author", &info.author},
        {"--title", &info.title},       {"--subject", &info.subject}, {"--keywords", &info.keywords},
    };
    for (const auto& [name, text] : options.texts) {
        *fields.at(name) = text;
        info.changedByUser = true;
    }
    if (!options.created.empty()) {
        if (!ParseDateTime(options.created, info.createdDate, info.createdTime)) return false;
        info.createdPresent = true;
        info.changedByUser = true;
    }
    if (options.modified == "now") {
        SetModifiedToNow(info);
    } else if (!options.modified.empty()) {
        if (!ParseDateTime(options.modified, info.modifiedDate, info.modifiedTime)) return false;
        info.modifiedPresent = true;
        info.changedByUser = true;
    }
    return true;
}

// The height of the page view's paint box with the page shown upright: the page's height at
// the view's zoom and resolution.
int PageViewHeight(const PdfDocument& document, int pageNumber)
{
    if (pageNumber < 1 || static_cast<uint32_t>(pageNumber) > document.pages.Count()) return 0;
    return UnturnedPageDrawingSize(document, pageNumber, PageViewZoom, PageViewResolution).height();
}

}  // namespace

int RunSave(int argc, char** argv)
{
    SaveOptions options;
    const OptionTable table = SaveOptionTable(options);
    if (const auto status = table.Parse(argc, argv)) return *status;
    if (const OptionError conflict = Conflict(options)) return table.Refuse(*conflict);

    // Saving copies the pictures' bytes and needs the items only of pages that get text.
    options.common.readImages = false;
    options.common.interpretPages = false;
    CommandSession session(options.common);
    PdfDocument& document = session.document;
    if (!document.documentRead) return 2;
    if (options.versionItem >= 0) document.versionItem = options.versionItem;
    document.appendChanges = options.append;
    PasswordSettings& encryption = document.passwordSettings;
    if (options.decrypt) {
        encryption.mode = PasswordSettings::Mode::Remove;
    } else if (options.encryptOwner) {
        encryption.mode = PasswordSettings::Mode::Encrypt;
        encryption.userPassword = options.encryptUser.value_or("");
        encryption.ownerPassword = *options.encryptOwner;
        encryption.denied = options.deny ? *DeniedPermissions(*options.deny) : 0;
        // Said only when a version was asked for: the default is the program's, not the user's.
        const int written = WrittenVersionItem(document.versionItem, true);
        if (options.versionItem >= 0 && written != options.versionItem)
            std::cerr << "folivo-cli save: mit AES-256 wird die Datei als PDF " << VersionTexts[written]
                      << " gespeichert; ältere Versionen kennen diese Verschlüsselung nicht.\n";
    }
    if (!ApplyFields(options, document.info))
        return table.Refuse("Datum und Uhrzeit als \"JJJJ-MM-TT HH:MM:SS\" angeben");
    // A document without a pages root cannot be saved; the reading has said so already. It
    // gets no protection first: its message would claim a protection that is never saved.
    if (!document.HasPagesRoot()) return 2;
    if (const std::string refusal = document.AppendRefusal(); !refusal.empty()) {
        session.port.ShowMessage(refusal, ApplicationTitle, MessageIcon::Error);
        return 2;
    }
    if (options.protect) {
        QtOutlineFontMetrics metrics;
        document.FileProtectBtnClick(
            options.common.font, metrics, [&document](int page) { return PageViewHeight(document, page); },
            PageViewResolution, PageViewZoom);
    }
    // What was read of an invalid document is still written, but the caller learns that the
    // input was damaged.
    if (!document.SavePDFNew(options.output)) return 2;
    if (!options.append && !document.signatures.empty()) {
        std::cerr << "folivo-cli save: Warnung: Die digitalen Signaturen dieses Dokuments sind in der neuen Datei "
                     "ungültig; mit --append bleiben sie gültig.\n";
    }
    return document.invalid ? 2 : 0;
}

}  // namespace folivo::cli
